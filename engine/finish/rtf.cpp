// RTF: the groups are walked, honouring escaped braces, \'hh and \binN data,
// until the outermost group closes. The file ends just after that brace and a
// "\r\n" or "\n" right after it (writers end the last line); any other trailing
// bytes are left out. RTF text is 7-bit: a control or 8-bit byte outside \bin
// data means the walk has left the file (it was cut), so no end is proved.
#include <string_view>

#include "engine/finish/documents_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

bool text_byte(int c) { return c == '\t' || c == '\r' || c == '\n' || (c >= 0x20 && c < 0x80); }
bool letter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool digit(int c) { return c >= '0' && c <= '9'; }

}  // namespace

Verdict check_rtf(ByteSource& run, std::string_view type) {
    if (type != "rtf") return rejected();
    if (!bytes_are(run, 0, "{\\rtf")) return rejected();
    documents::Reader r(run);
    std::uint64_t depth = 0;
    for (;;) {
        const int c = r.next();
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth > 0) continue;
            if (r.peek() == '\r') {
                r.next();
                if (r.peek() != '\n') return confirmed(r.tell() - 1);
            }
            if (r.peek() == '\n') r.next();
            return confirmed(r.tell());
        } else if (c == '\\') {
            const int k = r.next();
            if (k == '\'') {
                r.next();
                r.next();
            } else if (letter(k)) {
                char word[4] = {};
                int length = 0;
                for (int w = k; letter(w); w = r.peek() >= 0 && letter(r.peek()) ? r.next() : -1)
                    if (length < 4) word[length++] = static_cast<char>(w);
                const bool bin = length == 3 && std::string_view(word, 3) == "bin";
                std::uint64_t parameter = 0;
                if (r.peek() == '-') r.next();
                for (int digits = 0; digit(r.peek()) && digits < 12; ++digits)
                    parameter = parameter * 10 + static_cast<std::uint64_t>(r.next() - '0');
                if (r.peek() == ' ') r.next();
                if (bin) {
                    if (parameter > run.size() - r.tell()) return confirmed(0);
                    r.seek(r.tell() + parameter);
                }
            } else if (!text_byte(k)) {
                return confirmed(0);
            }
        } else if (!text_byte(c)) {
            return confirmed(0);  // also the end of the run: the group never closed
        }
    }
}

}  // namespace salvex::finish
