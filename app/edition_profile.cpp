#include "app/edition_profile.h"

#include <string>

#include "app/text_helpers.h"

namespace salvex {

const EditionProfile* select_edition(std::string_view bundle_name) {
    for (const auto& edition : kEditions)
        if (Find_Str(bundle_name, edition.key)) return &edition;
    return nullptr;
}

SignatureFileNames signature_file_names(const EditionProfile& e) {
    const std::string p(e.prefix);
    SignatureFileNames n;
    n.photo_dll = p + "Photo.sig";
    n.photo_dll_adv = p + "PhotoAdv.sig";
    if (e.video) { n.video_dll = p + "Video.sig"; n.video_dll_adv = p + "VideoAdv.sig"; }
    if (e.raw_file) { n.raw_dll = p + "Raw.sig"; n.raw_dll_adv = p + "RawAdv.sig"; }
    if (e.audio) { n.audio_dll = p + "Audio.sig"; n.audio_dll_adv = p + "AudioAdv.sig"; }
    return n;
}

std::string support_mail_link(std::string_view support_id, std::string_view app_long_name) {
    std::string link = "mailto:";
    link += support_id;
    link += "?subject=";
    link += app_long_name;
    link += "%20Question&body=Dear%20Customer%20Support,%0A%0AI%20am%20having%20Difficulties%20in%20using%20";
    link += app_long_name;
    link += ".%20%0A%0AMy%20Order%20ID%20is%20(Required):%20%20";
    link += "%0A%0AMy%20Operating%20system%20is:%20%0A%0AI%20am%20using%20following%20security/Antivirus/"
            "Firewall%20Software%20in%20My%20Machine:%20%0A%0AThe%20Hardware%20Configuration%20details%20of"
            "%20My%20Machine%20in%20which%20I%20am%20running%20the%20software%20are:%20%0A%0A%0A%0AThe%20"
            "details%20of%20my%20Storage%20media%20(from%20which%20I%20am%20trying%20to%20recover%20data)"
            "%20are%20as%20follows:%20%0AMedia%20Type:%20%0AStorage%20Capacity:%20%0AManufacturer:%20%0A%0A"
            "Possible%20cause%20of%20Data%20Loss%20(if%20known):%20%0AError%20message%20(if%20any):%20%0A%0A"
            "More%20Details%20of%20problem%20with%20screenshot%20(if%20any):%20";
    link = Trim_Str(link);
    link = Replace_char_in_string(link, "\r\n", "%0A");
    link = Replace_char_in_string(link, "\n", "%0A");
    link = Replace_char_in_string(link, " ", "%20");
    link = Replace_char_in_string(link, "\"", "%22");
    return link;
}

}  // namespace salvex
