#include "app/my_table_controller.h"

#include <filesystem>

#include "app/edition_profile.h"
#include "app/folder_helpers.h"
#include "app/globals.h"
#include "app/text_helpers.h"
#include "app/texts/search.h"
#include "app/texts/wizard.h"
#include "engine/sector_stream.h"
#include "platform/paths.h"
#include "signatures/signature_loader.h"

using salvex::SignatureList;
using salvex::load_signature_file;
using salvex::kPhotoMode;
using salvex::kVideoMode;
using salvex::kRawFileMode;
using salvex::kAudioMode;

MyTableController::MyTableController(salvex::ControllerView& view, salvex::BundleInfo bundle)
    : view_(view),
      bundle_(std::move(bundle)),
      device_buffer_(new char[salvex::kDeviceBufferSize]),
      read_buffer_(new std::uint8_t[salvex::kDeviceBufferSize]) {
    source_opener = salvex::open_sector_stream;
    volume_source = salvex::make_platform_volume_source();
    App_DefaultInstance = this;
    Main_App_wnd = defaultInstance();
    // The edition's globals start from their initial values for this controller.
    APP_LONG_NAME.clear();
    USE_HARD_DISK = 0;

    App_Name = bundle_.name;
    Rec_Folder_Name = App_Name + " Results";

    Created_Resource_Path =
        (std::filesystem::path(salvex::platform::user_data_folder()) / Trim_Str(bundle_.name)).string();
    Create_Folder(Created_Resource_Path);

    if (const salvex::EditionProfile* edition = salvex::select_edition(App_Name)) {
        USE_HARD_DISK = edition->use_hard_disk;
        APP_LONG_NAME = edition->long_name;
        auto names = salvex::signature_file_names(*edition);
        photo_dll = std::move(names.photo_dll);
        photo_dll_adv = std::move(names.photo_dll_adv);
        video_dll = std::move(names.video_dll);
        video_dll_adv = std::move(names.video_dll_adv);
        raw_dll = std::move(names.raw_dll);
        raw_dll_adv = std::move(names.raw_dll_adv);
        audio_dll = std::move(names.audio_dll);
        audio_dll_adv = std::move(names.audio_dll_adv);
        support_id = edition->support_id;
        Website_1 = edition->website_1;
        Website_2 = edition->website_2;
    }
    Website_3 = Website_1;
    Website_4 = Website_1;
    support_with_content = salvex::support_mail_link(support_id, APP_LONG_NAME);
    Recovery_MODE = kPhotoMode;
}

MyTableController::~MyTableController() {
    end_scan();
    if (App_DefaultInstance == this) App_DefaultInstance = nullptr;
    if (Main_App_wnd == this) Main_App_wnd = nullptr;
}

MyTableController* MyTableController::defaultInstance() { return App_DefaultInstance; }

void MyTableController::Main_Thread_Messgae(const std::string& text) {
    view_.alert({.message = text, .informative = "", .buttons = {std::string(salvex::text::kOk)}});
}

void MyTableController::Load_Signature_List(const std::string& file_name, SignatureList& target) {
    // An empty name names the folder itself, which reads as no file.
    load_signature_file((std::filesystem::path(bundle_.resource_path) / file_name).string(), target);
}

bool MyTableController::mode_is_offered(std::int32_t mode) const {
    switch (mode) {
        case kPhotoMode: return true;
        case kVideoMode: return salvex::utf16_length(video_dll) > 4;
        case kRawFileMode: return salvex::utf16_length(raw_dll) > 4;
        case kAudioMode: return salvex::utf16_length(audio_dll) > 4;
        default: return false;
    }
}

void MyTableController::load_signature_catalogue() {
    for (SignatureList* list : {&Ext_Array, &Adv_Ext_Array, &Video_Array, &Adv_Video_Array, &RawFile_Array,
                                &Adv_RawFile_Array, &Audio_Array, &Adv_Audio_Array, &CheckListHeader_Array,
                                &CheckListHeader_Adv_Array})
        list->clear();
    signature_file_problems.clear();

    const auto load = [this](std::int32_t mode, const std::string& name, SignatureList& list) {
        const std::string path = (std::filesystem::path(bundle_.resource_path) / name).string();
        // A profile without a name for the file has no file to miss.
        if (const std::string problem = load_signature_file(path, list); !problem.empty() && !name.empty())
            signature_file_problems.push_back({mode, path, problem});
    };
    load(kPhotoMode, photo_dll, Ext_Array);
    load(kPhotoMode, photo_dll_adv, Adv_Ext_Array);
    // Only the general name decides whether a mode's pair loads.
    if (mode_is_offered(kVideoMode)) {
        load(kVideoMode, video_dll, Video_Array);
        load(kVideoMode, video_dll_adv, Adv_Video_Array);
    }
    if (mode_is_offered(kRawFileMode)) {
        load(kRawFileMode, raw_dll, RawFile_Array);
        load(kRawFileMode, raw_dll_adv, Adv_RawFile_Array);
    }
    if (mode_is_offered(kAudioMode)) {
        load(kAudioMode, audio_dll, Audio_Array);
        load(kAudioMode, audio_dll_adv, Adv_Audio_Array);
    }
}

std::string MyTableController::signature_problems_text() const {
    if (signature_file_problems.empty()) return {};
    std::string text(salvex::text::kSignatureProblems);
    for (const auto& p : signature_file_problems) text += "\n" + p.path + ": " + p.cause;
    return text;
}
