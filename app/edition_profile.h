#pragma once
// The seven editions one program serves. The bundle name picks one; the edition
// fixes the long name, whether internal disks are listed, the modes on offer and
// the signature files that load.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace salvex {

struct EditionProfile {
    std::string_view key;        // found in the bundle name, case-sensitive
    std::string_view long_name;  // APP_LONG_NAME
    std::uint8_t use_hard_disk;
    std::string_view prefix;     // of the signature file names
    bool video, raw_file, audio; // photo is always on offer
    std::string_view support_id;
    std::string_view website_1;
    std::string_view website_2;
};

// In the order the bundle name is tested: the first key found wins. The rows are
// made from editions.txt at the top of the source tree; an edition is added there.
inline constexpr auto kEditions = std::to_array<EditionProfile>({
#include "salvex_edition_rows.inc"
});

// Nothing when no key occurs in the name.
const EditionProfile* select_edition(std::string_view bundle_name);

// The eight signature-file names of an edition; a mode it does not offer has empty names.
struct SignatureFileNames {
    std::string photo_dll, photo_dll_adv, video_dll, video_dll_adv;
    std::string raw_dll, raw_dll_adv, audio_dll, audio_dll_adv;
};
SignatureFileNames signature_file_names(const EditionProfile& edition);

// The mailto link of the support buttons, with the blanks, quotes and line breaks
// of the long name and address encoded.
std::string support_mail_link(std::string_view support_id, std::string_view app_long_name);

}  // namespace salvex
