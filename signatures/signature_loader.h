#pragma once
#include <string>
#include <string_view>

#include "signatures/signature_list.h"

namespace salvex {

// Appends the records of one signature definition file to the list. A file that
// is missing, is not a regular file, cannot be read or is not UTF-8 appends
// nothing. Returns why no record came from it, in plain words ("missing", "not a
// regular file", "holds no signature record", ...); empty when records did.
std::string load_signature_file(const std::string& path, SignatureList& target);

// The same, from text already read.
void parse_signature_text(std::string_view text, SignatureList& target);

}  // namespace salvex
