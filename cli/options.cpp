#include "cli/options.h"

#include <strings.h>

#include "app/edition_profile.h"

namespace salvex::cli {

std::string usage_text() {
    return "Usage: salvex-scan [--edition NAME] --list-signatures\n"
           "\n"
           "Finds deleted photos, videos, documents and audio on memory cards and USB\n"
           "sticks by the signatures their files begin with.\n"
           "\n"
           "Options:\n"
           "  --edition NAME      the edition to run as: Alder, Birch, Cedar, Dogwood,\n"
           "                      Elm, Fir or Hazel (default Birch, which offers every mode)\n"
           "  --list-signatures   print the edition, the modes it offers and the file\n"
           "                      signatures of each mode and pass\n"
           "  --help              show this text\n"
           "\n"
           "Exit status: 0 done, 2 bad usage.\n";
}

ParseResult parse_options(const std::vector<std::string>& args) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--list-signatures") {
            o.list_signatures = true;
        } else if (a == "--edition" || a.starts_with("--edition=")) {
            std::string name;
            if (a == "--edition") {
                if (i + 1 >= args.size()) return {std::nullopt, "--edition needs a name"};
                name = args[++i];
            } else {
                name = a.substr(std::string("--edition=").size());
            }
            const EditionProfile* found = nullptr;
            for (const auto& e : kEditions)
                if (name.size() == e.key.size() && strncasecmp(name.c_str(), e.key.data(), name.size()) == 0)
                    found = &e;
            if (found == nullptr)
                return {std::nullopt, "unknown edition \"" + name + "\": choose Alder, Birch, Cedar, Dogwood, Elm, Fir or Hazel"};
            o.edition = found->key;
        } else {
            return {std::nullopt, "unknown option \"" + a + "\""};
        }
    }
    if (!o.help && !o.list_signatures) return {std::nullopt, "nothing to do: give --list-signatures"};
    return {o, {}};
}

}  // namespace salvex::cli
