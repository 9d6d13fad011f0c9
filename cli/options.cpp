#include "cli/options.h"

#include <algorithm>
#include <strings.h>

#include "app/edition_profile.h"
#include "app/numbers.h"

namespace salvex::cli {

std::string usage_text() {
    return "Usage: salvex-scan --source DEVICE_OR_IMAGE --dest DIR [options]\n"
           "       salvex-scan [--edition NAME] --list-devices | --list-signatures\n"
           "\n"
           "       salvex-scan [--edition NAME] --mode MODE --list-types\n"
           "\n"
           "Finds deleted photos, videos, documents and audio on memory cards, USB sticks\n"
           "and disk images by the signatures their files begin with, and copies them\n"
           "into DIR. The source is only ever read.\n"
           "\n"
           "Options:\n"
           "  --source SOURCE     a device identifier such as sdb1, or a disk-image file\n"
           "  --dest DIR          where the result folder is made\n"
           "  --mode MODE         what to look for: photo (default), video, file or audio,\n"
           "                      or all: every mode the edition offers, from one read\n"
           "  --types LIST        in video, file and audio mode, the file types to look\n"
           "                      for, separated by commas, such as MP4,MOV (default: all);\n"
           "                      with --mode all, a mode with none of them is left out\n"
           "  --list-types        list the file types of the mode (of each mode with\n"
           "                      --mode all), as --types takes them\n"
           "  --range START:END   search sectors START up to, not including, END\n"
           "                      (default: the whole source)\n"
           "  --no-thorough       leave out the thorough search\n"
           "  --whole-sectors     keep each file as whole sectors up to the next file or its\n"
           "                      type's largest size, without cutting it at its own end\n"
           "                      or checking its type\n"
           "  --force             save even when DIR lies on the volume being searched, which\n"
           "                      can overwrite the very files you want back (never over\n"
           "                      the source file itself)\n"
           "  --edition NAME      the edition to run as: Alder, Birch, Cedar, Dogwood,\n"
           "                      Elm, Fir or Hazel (default Birch, which offers every mode)\n"
           "  --list-devices      list the volumes the edition may search\n"
           "  --list-signatures   print the edition, the modes it offers and the file\n"
           "                      signatures of each mode and pass\n"
           "  --help              show this text\n"
           "\n"
           "Ctrl-C asks whether to stop; a second Ctrl-C, SIGTERM or SIGHUP stops at once.\n"
           "Files found up to then are kept. Errors go to standard error.\n"
           "\n"
           "Exit status: 0 the search ran to its end, 1 it failed (device, read or write,\n"
           "or a signature file of the mode gave nothing), 2 bad usage (also a destination\n"
           "on the source, or a result folder another search is saving into), 130 stopped.\n";
}

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
        if (is_switch && given_value) return {std::nullopt, a + " takes no value"};
        if (takes_value && !given_value) {
            if (i + 1 >= args.size()) return {std::nullopt, a + " needs a value"};
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
                return {std::nullopt, "unknown mode \"" + value + "\": choose photo, video, file, audio or all"};
            o.mode = value;
        } else if (a == "--types") {
            o.types.clear();
            std::size_t from = 0;
            while (from <= value.size()) {
                const std::size_t comma = std::min(value.find(',', from), value.size());
                if (comma > from) o.types.push_back(value.substr(from, comma - from));
                from = comma + 1;
            }
            if (o.types.empty()) return {std::nullopt, "--types wants at least one file type, such as MP4,MOV"};
        } else if (a == "--list-types") {
            list_only = o.list_types = true;
        } else if (a == "--range") {
            const auto colon = value.find(':');
            std::uint64_t start = 0, end = 0;
            if (colon == std::string::npos || !parse_sector(std::string_view(value).substr(0, colon), start) ||
                !parse_sector(std::string_view(value).substr(colon + 1), end))
                return {std::nullopt, "--range wants two sector numbers, START:END, such as 0:2048"};
            if (end <= start) return {std::nullopt, "--range must end after it starts"};
            o.range_start = start;
            o.range_end = end;
        } else if (a == "--edition") {
            const EditionProfile* found = nullptr;
            for (const auto& e : kEditions)
                if (value.size() == e.key.size() && strncasecmp(value.c_str(), e.key.data(), value.size()) == 0)
                    found = &e;
            if (found == nullptr)
                return {std::nullopt, "unknown edition \"" + value + "\": choose Alder, Birch, Cedar, Dogwood, Elm, Fir or Hazel"};
            o.edition = found->key;
        } else {
            return {std::nullopt, "unknown option \"" + args[i] + "\""};
        }
    }
    if (o.help || list_only) return {o, {}};
    if (o.source.empty()) return {std::nullopt, "say what to search with --source (a device such as sdb1, or a disk image)"};
    if (o.destination.empty()) return {std::nullopt, "say where to save what is found with --dest"};
    return {o, {}};
}

}  // namespace salvex::cli
