#pragma once
// Why a path could not be used, in the words a message names it with:
// "<path>: read-only", "<path>: no space left", "<path>: name too long".
#include <string>

namespace salvex {

std::string plain_cause(int error_code);

}  // namespace salvex
