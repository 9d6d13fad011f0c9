#pragma once
#include <cstdint>
#include <string_view>

// The first character as a hex digit; anything else, "0" included, is 0.
int hex2dec(std::string_view text);
// The text as a hex number, most significant digit first. Non-digits count as 0
// and do not stop the reading. Eight digits wrap the way a 32-bit int does
// (FFFFFFFF is -1); digits beyond the eighth from the right fall away.
std::int32_t hex2int(std::string_view text);
