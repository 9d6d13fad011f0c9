#include "signatures/signature_loader.h"

#include <array>
#include <cwctype>
#include <fcntl.h>
#include <locale.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "app/text_helpers.h"
#include "signatures/hex.h"

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

std::optional<std::string> read_whole_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    std::optional<std::string> text;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        std::string data;
        std::array<char, 65536> chunk{};
        ssize_t n = 0;
        while ((n = ::read(fd, chunk.data(), chunk.size())) > 0) data.append(chunk.data(), static_cast<std::size_t>(n));
        if (n == 0) text = std::move(data);
    }
    ::close(fd);
    return text;
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
            if (!header_too_short) {
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

void load_signature_file(const std::string& path, SignatureList& target) {
    const auto text = read_whole_file(path);
    if (!text || !salvex::is_valid_utf8(*text)) return;
    parse_signature_text(*text, target);
}
