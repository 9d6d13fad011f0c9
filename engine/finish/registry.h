#pragma once
// Which unit answers for which type, and how the finishing step settles a file
// or a group of candidates that one header opened.
#include <string>
#include <string_view>
#include <vector>

#include "engine/finish/unit.h"

namespace salvex::finish {

// "jpg" for ".JPG"; the form the units are asked in.
std::string type_of(std::string_view extension);
// The unit of a type; null for a type no unit knows (its files stay whole).
Unit unit_for(std::string_view type);
// A type that every more particular type of its family also is (ZIP under DOCX).
bool is_generic(std::string_view type);

// Of the candidates' verdicts, in the order they were opened, the one to keep,
// or -1 for none. A confirmed candidate wins, the more particular first, then
// the earlier; without one, a general find keeps its first candidate and a
// thorough find its first that was not rejected (loose headers' false starts go).
int settle(const std::vector<Verdict>& verdicts, const std::vector<std::string>& types, bool thorough);

}  // namespace salvex::finish
