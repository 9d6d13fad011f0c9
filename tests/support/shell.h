#pragma once
// Running the product and the tools that build cards, as a user's shell would.
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>

namespace salvex::test {

struct Ran {
    int status = -1;
    std::string output;  // stdout and stderr together
};

inline Ran run(const std::string& command) {
    Ran r;
    FILE* pipe = ::popen(("exec 2>&1; " + command).c_str(), "r");
    if (pipe == nullptr) return r;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline std::string quote(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// mkfs.vfat lives in sbin, which a user's PATH may not hold.
inline const std::string kTools = "PATH=\"$PATH:/usr/sbin:/sbin\" MTOOLS_SKIP_CHECK=1 ";

// Tools that set up a card must work; a failure ends the test with their output.
inline std::string must(const std::string& command) {
    Ran r = run(kTools + command);
    if (r.status != 0) throw std::runtime_error(command + " failed (" + std::to_string(r.status) + "): " + r.output);
    return r.output;
}

inline std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// salvex-scan as a user runs it, with its settings under `home` and no terminal to ask on.
inline Ran salvex_scan(const std::string& home, const std::string& arguments) {
    return run("XDG_DATA_HOME=" + quote(home + "/data") + " " + quote(std::string(SALVEX_BIN_DIR) + "/salvex-scan") + " " +
               arguments + " </dev/null");
}

// Every file under the folder, by its path below it, with its bytes; none when there is no folder.
inline std::map<std::string, std::string> tree(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec); !ec && it != decltype(it){}; it.increment(ec))
        if (it->is_regular_file()) files[std::filesystem::relative(it->path(), folder).string()] = slurp(it->path());
    return files;
}

inline std::string sha256(const std::filesystem::path& path) {
    return must("sha256sum " + quote(path.string())).substr(0, 64);
}

}  // namespace salvex::test
