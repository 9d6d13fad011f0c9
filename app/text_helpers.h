#pragma once
// Text helpers shared by every subsystem. Texts are UTF-8; positions and lengths
// count UTF-16 code units, so a volume name such as "Ürlaub 📷" is measured the
// way the rest of the desktop measures it. Every helper returns a new text.
#include <cstdint>
#include <string>
#include <string_view>

namespace salvex {

std::u16string to_utf16(std::string_view utf8);
// Lone surrogates (a cut through a pair) become U+FFFD rather than invalid UTF-8.
std::string to_utf8(std::u16string_view utf16);
bool is_valid_utf8(std::string_view text);
std::size_t utf16_length(std::string_view utf8);
bool is_trim_space(char32_t c);

}  // namespace salvex

// Without white space and line ends at both ends (Unicode's space separators included).
std::string Trim_Str(std::string_view text);
std::string Replace_char_in_string(std::string_view text, std::string_view find,
                                   std::string_view replacement);
// Exact, case-sensitive; an empty part is never found.
bool Find_Str(std::string_view text, std::string_view part);
std::string Left_Str_substringToIndex(std::string_view text, int n);
std::string Right_Str_substringFromIndex(std::string_view text, int n);
std::string Read_Str_FromIndex(std::string_view text, int i);
std::string Read_Str_Upto_Index(std::string_view text, int i);
