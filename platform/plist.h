#pragma once
// Reads XML property lists: the Info.plist of an edition bundle, and the output of
// the macOS disk tool. Anything malformed reads as nothing at all.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace salvex {

struct PlistValue;
using PlistDict = std::map<std::string, PlistValue>;
using PlistArray = std::vector<PlistValue>;

struct PlistValue {
    // <string>, <data>, <date> and <real> keep their text; <integer> its value.
    std::variant<std::string, std::int64_t, bool, PlistArray, PlistDict> value;

    const std::string* as_string() const { return std::get_if<std::string>(&value); }
    const std::int64_t* as_integer() const { return std::get_if<std::int64_t>(&value); }
    const bool* as_bool() const { return std::get_if<bool>(&value); }
    const PlistDict* as_dict() const { return std::get_if<PlistDict>(&value); }
    const PlistArray* as_array() const { return std::get_if<PlistArray>(&value); }
};

std::optional<PlistValue> parse_plist(std::string_view xml);

// The string stored under key in the top-level dictionary, if there is one.
std::optional<std::string> plist_string(const PlistValue& root, const std::string& key);

}  // namespace salvex
