#include "cli/options.h"

#include <algorithm>
#include <strings.h>

#include "app/edition_profile.h"
#include "app/numbers.h"
#include "app/texts/salvex_scan.h"

namespace salvex::cli {

std::string usage_text() { return std::string(text::kScanUsage); }

namespace {

bool parse_sector(std::string_view text, std::uint64_t& out) {
    const auto number = parse_digits(text);
    if (number) out = *number;
    return number.has_value();
}

}  // namespace

ParseResult parse_options(const std::vector<std::string>& args) {
    Options o;
    bool list_only = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string a = args[i];
        std::string value;
        bool given_value = false;
        if (const auto eq = a.find('='); a.starts_with("--") && eq != std::string::npos) {
            value = a.substr(eq + 1);
            a = a.substr(0, eq);
            given_value = true;
        }
        const bool takes_value =
            a == "--edition" || a == "--source" || a == "--dest" || a == "--mode" || a == "--range" || a == "--types";
        const bool is_switch = a == "--help" || a == "--list-devices" || a == "--list-signatures" ||
                               a == "--no-thorough" || a == "--whole-sectors" || a == "--force" || a == "--list-types";
        // A switch is on by being there: --force=no must not read as yes.
        if (is_switch && given_value) return {std::nullopt, text::takes_no_value(a)};
        if (takes_value && !given_value) {
            if (i + 1 >= args.size()) return {std::nullopt, text::needs_value(a)};
            value = args[++i];
        }

        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--list-devices") {
            list_only = o.list_devices = true;
        } else if (a == "--list-signatures") {
            list_only = o.list_signatures = true;
        } else if (a == "--no-thorough") {
            o.thorough = false;
        } else if (a == "--whole-sectors") {
            o.exact_files = false;
        } else if (a == "--force") {
            o.force = true;
        } else if (a == "--source") {
            o.source = value;
        } else if (a == "--dest") {
            o.destination = value;
        } else if (a == "--mode") {
            if (value != "photo" && value != "video" && value != "file" && value != "audio" && value != "all")
                return {std::nullopt, text::unknown_mode(value)};
            o.mode = value;
        } else if (a == "--types") {
            o.types.clear();
            std::size_t from = 0;
            while (from <= value.size()) {
                const std::size_t comma = std::min(value.find(',', from), value.size());
                if (comma > from) o.types.push_back(value.substr(from, comma - from));
                from = comma + 1;
            }
            if (o.types.empty()) return {std::nullopt, std::string(text::kTypesWanted)};
        } else if (a == "--list-types") {
            list_only = o.list_types = true;
        } else if (a == "--range") {
            const auto colon = value.find(':');
            std::uint64_t start = 0, end = 0;
            if (colon == std::string::npos || !parse_sector(std::string_view(value).substr(0, colon), start) ||
                !parse_sector(std::string_view(value).substr(colon + 1), end))
                return {std::nullopt, std::string(text::kRangeWanted)};
            if (end <= start) return {std::nullopt, std::string(text::kRangeBackwards)};
            o.range_start = start;
            o.range_end = end;
        } else if (a == "--edition") {
            const EditionProfile* found = nullptr;
            for (const auto& e : kEditions)
                if (value.size() == e.key.size() && strncasecmp(value.c_str(), e.key.data(), value.size()) == 0)
                    found = &e;
            if (found == nullptr)
                return {std::nullopt, text::unknown_edition(value)};
            o.edition = found->key;
        } else {
            return {std::nullopt, text::unknown_option(args[i])};
        }
    }
    if (o.help || list_only) return {o, {}};
    if (o.source.empty()) return {std::nullopt, std::string(text::kSourceWanted)};
    if (o.destination.empty()) return {std::nullopt, std::string(text::kDestinationWanted)};
    return {o, {}};
}

}  // namespace salvex::cli
