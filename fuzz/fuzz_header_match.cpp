// One fuzzed record against one fuzzed sector: the header text, the offset text
// and the first-byte text come from the input, the sector from what follows.
// Also checks the gate never rejects a sector that the record itself matches.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/header_match.h"
#include "signatures/hex.h"

using salvex::SignatureList;

namespace {

std::string take_line(const std::uint8_t*& data, std::size_t& size) {
    std::string line;
    while (size > 0 && *data != '\n' && line.size() < 64) {
        line += static_cast<char>(*data++);
        --size;
    }
    if (size > 0 && *data == '\n') {
        ++data;
        --size;
    }
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string header = take_line(data, size);
    const std::string offset = take_line(data, size);
    const std::string first_byte = take_line(data, size);
    (void)hex2int(header);
    std::array<std::uint8_t, salvex::kSectorSize> sector{};
    for (std::size_t i = 0; i < sector.size() && i < size; ++i) sector[i] = data[i];

    const SignatureList list{"EXT", "1000", header, offset, "0", "fuzzed", first_byte};
    const salvex::HeaderSearch search(salvex::decode_records(list));
    const bool alone = salvex::record_matches(search.records().at(0), sector.data());
    if (alone != (search.first_match(sector.data()) == 0)) std::abort();
    return 0;
}
