#pragma once
// A signature list holds records flat, seven texts per record, in file order.
#include <cstddef>
#include <string>
#include <vector>

namespace salvex {

using SignatureList = std::vector<std::string>;

enum SignatureField : std::size_t {
    kExtension = 0,
    kMax_File_Size = 1,
    kHeader = 2,
    kHeader_Offset = 3,
    kReserved = 4,
    kDescription = 5,
    kFirst_Byte = 6,
};
inline constexpr std::size_t kSignatureStride = 7;

}  // namespace salvex
