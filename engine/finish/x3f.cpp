// X3F: the section directory is found only through the file's last four bytes,
// so nothing read forward from the start proves where the file ends.
#include "engine/finish/units.h"

namespace salvex::finish {

Verdict check_x3f(ByteSource& run, std::string_view type) {
    if (type != "x3f") return rejected();
    return bytes_are(run, 0, "FOVb") ? confirmed(0) : rejected();
}

}  // namespace salvex::finish
