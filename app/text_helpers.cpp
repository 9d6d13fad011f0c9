#include "app/text_helpers.h"

namespace salvex {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point; malformed input yields U+FFFD and consumes one byte.
char32_t decode_one(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) { ++i; return b0; }
    int extra = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) { extra = 1; cp = b0 & 0x1F; }
    else if ((b0 & 0xF0) == 0xE0) { extra = 2; cp = b0 & 0x0F; }
    else if ((b0 & 0xF8) == 0xF0) { extra = 3; cp = b0 & 0x07; }
    else { ++i; return kReplacement; }
    if (i + static_cast<std::size_t>(extra) >= s.size()) { ++i; return kReplacement; }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) { ++i; return kReplacement; }
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) { ++i; return kReplacement; }
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

bool is_trim_space(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

std::u16string to_utf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t cp = decode_one(utf8, i);
        if (cp >= 0x10000) {
            const char32_t v = cp - 0x10000;
            out += static_cast<char16_t>(0xD800 + (v >> 10));
            out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string to_utf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t u = utf16[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            append_utf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(utf16[i + 1]) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            append_utf8(out, kReplacement);
        } else {
            append_utf8(out, u);
        }
    }
    return out;
}

bool is_valid_utf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t before = i;
        const char32_t cp = decode_one(text, i);
        // A genuine U+FFFD takes three bytes; a decoding error consumes one.
        if (cp == kReplacement && i - before == 1) return false;
    }
    return true;
}

std::size_t utf16_length(std::string_view utf8) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size();) n += decode_one(utf8, i) >= 0x10000 ? 2 : 1;
    return n;
}

}  // namespace salvex

using salvex::to_utf16;
using salvex::to_utf8;

std::string Trim_Str(std::string_view text) {
    const std::u16string u = to_utf16(text);
    std::size_t begin = 0;
    std::size_t end = u.size();
    while (begin < end && salvex::is_trim_space(u[begin])) ++begin;
    while (end > begin && salvex::is_trim_space(u[end - 1])) --end;
    return to_utf8(std::u16string_view(u).substr(begin, end - begin));
}

std::string Replace_char_in_string(std::string_view text, std::string_view find,
                                   std::string_view replacement) {
    std::string out;
    if (find.empty()) return std::string(text);
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(find, from)) != std::string_view::npos; from = at + find.size()) {
        out.append(text.substr(from, at - from));
        out.append(replacement);
    }
    out.append(text.substr(from));
    return out;
}

bool Find_Str(std::string_view text, std::string_view part) {
    // For valid UTF-8 a byte match is a match of whole characters.
    return !part.empty() && text.find(part) != std::string_view::npos;
}

namespace {
// A negative count or index is widened with its sign and then compared as an
// unsigned number, so it always lands beyond the end.
std::size_t widened(int n) { return static_cast<std::size_t>(static_cast<std::int64_t>(n)); }
}  // namespace

std::string Left_Str_substringToIndex(std::string_view text, int n) {
    if (n < 0) return {};
    const std::u16string u = to_utf16(text);
    if (widened(n) >= u.size()) return std::string(text);
    return to_utf8(std::u16string_view(u).substr(0, widened(n)));
}

std::string Right_Str_substringFromIndex(std::string_view text, int n) {
    if (n < 0) return {};
    const std::u16string u = to_utf16(text);
    if (widened(n) >= u.size()) return std::string(text);
    return to_utf8(std::u16string_view(u).substr(u.size() - widened(n)));
}

std::string Read_Str_FromIndex(std::string_view text, int i) {
    const std::u16string u = to_utf16(text);
    if (widened(i) >= u.size()) return {};
    return to_utf8(std::u16string_view(u).substr(widened(i)));
}

std::string Read_Str_Upto_Index(std::string_view text, int i) {
    const std::u16string u = to_utf16(text);
    if (widened(i) > u.size()) return {};
    if (widened(i) == u.size()) return std::string(text);
    return to_utf8(std::u16string_view(u).substr(0, widened(i)));
}
