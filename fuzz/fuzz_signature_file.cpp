// Any text as a signature file: the loader never breaks the stride of seven and
// never gives a header line without a first byte.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "signatures/signature_loader.h"

using salvex::SignatureList;
using salvex::kSignatureStride;
using salvex::parse_signature_text;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SignatureList list;
    parse_signature_text(std::string_view(reinterpret_cast<const char*>(data), size), list);
    if (list.size() % kSignatureStride != 0) std::abort();
    return 0;
}
