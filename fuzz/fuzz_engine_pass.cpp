// Whole passes of both engines, general and thorough, over a fuzzed image of a
// few sectors with a fuzzed signature list. The input is the list's text, a
// line "----", then the image. Everything runs on this thread, which is also the
// interface thread, so no scan thread is started.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "app/globals.h"
#include "app/my_table_controller.h"
#include "cli/terminal_view.h"
#include "signatures/signature_loader.h"

using salvex::SignatureList;
using salvex::parse_signature_text;
using salvex::kPhotoMode;
using salvex::kVideoMode;

namespace fs = std::filesystem;

namespace {

struct World {
    World() : null_out(std::fopen("/dev/null", "w")), view(null_out, nullptr) {
        folder = "/dev/shm/salvex-fuzz-" + std::to_string(::getpid());
        ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
        controller = std::make_unique<MyTableController>(view, salvex::BundleInfo{"", "Salvex Birch Recovery", "", ""});
    }
    std::FILE* null_out;
    salvex::TerminalView view;
    std::string folder;
    std::unique_ptr<MyTableController> controller;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static World world;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const auto split = input.find("\n----\n");
    if (split == std::string::npos || size - split > 64 * 512) return -1;

    SignatureList list;
    parse_signature_text(std::string_view(input).substr(0, split), list);
    const std::string image = world.folder + "/card.img";
    fs::create_directories(world.folder);
    std::ofstream(image, std::ios::binary) << input.substr(split + 6);
    const std::uint64_t sectors = (size - split - 6) / 512;

    MyTableController& c = *world.controller;
    auto& view = world.view;
    using salvex::Outlet;
    for (const std::int32_t mode : {kPhotoMode, kVideoMode}) {
        Recovery_MODE = mode;
        const bool sig = mode != kPhotoMode;
        view.set_text(Outlet::disk_identifier, image);
        view.set_text(Outlet::sectors_val, std::to_string(sectors));
        view.set_state(salvex::in_set(Outlet::entire_disk_rd, sig), true);
        view.set_state(salvex::in_set(Outlet::sector_range_rd, sig), false);
        view.set_text(Outlet::path, world.folder + "/out");
        c.Ext_Array = c.Adv_Ext_Array = c.CheckListHeader_Array = c.CheckListHeader_Adv_Array = list;
        c.nsSIGFileInfoDataObject.clear();
        for (const std::string tag : {"GEN", "THD"}) {
            c.stop_now = 0;
            c.stop_screen_already_show = 0;
            if (sig) c.Raw_File_Recovey_Mode(tag);
            else c.Photo_Recovey_Mode(tag);
            view.queue().run_pending();
        }
    }
    Recovery_MODE = kPhotoMode;
    std::error_code ec;
    fs::remove_all(world.folder + "/out", ec);
    return 0;
}
