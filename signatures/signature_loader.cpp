#include "signatures/signature_loader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cwctype>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/error_words.h"
#include "app/text_helpers.h"
#include "signatures/hex.h"

namespace salvex {

namespace {

// Capitals by Unicode's simple case mapping, whatever the process locale is.
std::string to_capitals(std::string_view text) {
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    std::u16string u = salvex::to_utf16(text);
    for (auto& c : u) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;  // outside the BMP: no case in practice
        if (utf8 != static_cast<locale_t>(nullptr)) c = static_cast<char16_t>(towupper_l(c, utf8));
        else if (c >= 'a' && c <= 'z') c = static_cast<char16_t>(c - 'a' + 'A');
    }
    return salvex::to_utf8(u);
}

// The whole file, or why it cannot be had. Only a regular file is opened, and
// without waiting: a FIFO in its place must not hold the program up.
std::string read_whole_file(const std::string& path, std::string& text) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return salvex::plain_cause(errno);
    if (!S_ISREG(st.st_mode)) return "not a regular file";
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return salvex::plain_cause(errno);
    std::string problem;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        problem = "not a regular file";
    } else {
        std::array<char, 65536> chunk{};
        ssize_t n = 0;
        while ((n = ::read(fd, chunk.data(), chunk.size())) > 0) text.append(chunk.data(), static_cast<std::size_t>(n));
        if (n < 0) problem = salvex::plain_cause(errno);
    }
    ::close(fd);
    return problem;
}

// An extension names folders and files: letters and digits only, so that no
// record can reach outside its type folder or make a name the disk refuses.
bool plain_name(std::string_view extension) {
    return !extension.empty() && std::all_of(extension.begin(), extension.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    });
}

}  // namespace

void parse_signature_text(std::string_view text, SignatureList& target) {
    std::array<std::string, 6> fields;
    std::size_t count = 0;
    std::string first_byte;
    // A "Header :" line with fewer than two characters cannot give a first byte,
    // and a header of fewer than one byte can never match: such a record would
    // only show the user a file type that is never found, so it is dropped.
    bool header_too_short = false;

    std::size_t line_start = 0;
    while (line_start <= text.size()) {
        const std::size_t lf = text.find('\n', line_start);
        const std::string_view line =
            text.substr(line_start, (lf == std::string_view::npos ? text.size() : lf) - line_start);
        line_start = lf == std::string_view::npos ? text.size() + 1 : lf + 1;

        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, colon + 1);
        std::string value = Trim_Str(line.substr(colon + 1));

        if (key == "Header :") {
            header_too_short = salvex::utf16_length(value) < 2;
            first_byte = header_too_short ? std::string()
                                          : std::to_string(hex2int(Left_Str_substringToIndex(value, 2)));
        }
        if (const auto stop = value.find('.'); stop != std::string::npos) value = to_capitals(value.substr(stop + 1));

        fields[count++] = std::move(value);
        if (count == fields.size()) {
            if (!header_too_short && plain_name(fields[0])) {
                for (auto& f : fields) target.push_back(std::move(f));
                target.push_back(first_byte);
            }
            count = 0;
            first_byte.clear();
            header_too_short = false;
        }
    }
    // Fewer than six field lines left at the end (a file cut short) would break the
    // stride of seven that every consumer steps by; they are dropped.
}

std::string load_signature_file(const std::string& path, SignatureList& target) {
    std::string text;
    if (std::string problem = read_whole_file(path, text); !problem.empty()) return problem;
    if (!salvex::is_valid_utf8(text)) return "not UTF-8 text";
    const std::size_t before = target.size();
    parse_signature_text(text, target);
    return target.size() > before ? std::string() : "holds no signature record";
}

}  // namespace salvex
