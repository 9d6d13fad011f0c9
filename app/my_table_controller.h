#pragma once
// The one controller: it owns every piece of state of the program, and the window
// and salvex-scan both drive it. Its operations live beside the subsystem they
// belong to; this header holds its state and the shell's own operations.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/bundle_info.h"
#include "app/controller_view.h"
#include "signatures/signature_list.h"

class MyTableController {
public:
    // Picks the edition from the bundle's name and makes the per-user folder.
    // Exactly one controller exists while the program runs.
    MyTableController(salvex::ControllerView& view, salvex::BundleInfo bundle);
    ~MyTableController();
    MyTableController(const MyTableController&) = delete;
    MyTableController& operator=(const MyTableController&) = delete;

    static MyTableController* defaultInstance();

    salvex::ControllerView& view() { return view_; }
    const salvex::BundleInfo& bundle() const { return bundle_; }

    // Interface thread: the modal box behind Show_MessageBox.
    void Main_Thread_Messgae(const std::string& text);

    // Appends the records of a signature file in the resource folder to the list.
    void Load_Signature_List(const std::string& file_name, SignatureList& target);
    // The start-up step of the window: makes the lists empty and loads the
    // edition's signature files into the eight signature lists.
    void Load_Signature_Catalogue();
    // A mode is on offer when its general signature file has a real name.
    bool Mode_Is_Offered(std::int32_t mode) const;

    // Edition values.
    std::string App_Name;
    std::string Rec_Folder_Name;
    std::string Created_Resource_Path;
    std::string photo_dll, photo_dll_adv, video_dll, video_dll_adv;
    std::string raw_dll, raw_dll_adv, audio_dll, audio_dll_adv;
    std::string support_id, Website_1, Website_2, Website_3, Website_4, support_with_content;

    // Streams of the running pass.
    std::FILE* pFile_Disk = nullptr;
    std::FILE* pFile_op = nullptr;

    // Scan positions: the scan thread writes them while the progress tick reads them.
    std::atomic<std::uint64_t> start_sector{0}, end_sector{0}, total_sector{0}, for_index{0};
    std::atomic<std::int32_t> stop_now{0}, stop_screen_already_show{0};
    std::int32_t screen_counter = 0;
    static constexpr std::uint64_t kNotFound = (std::uint64_t{1} << 63) - 1;
    std::uint64_t Prev_Index = kNotFound;
    std::string noprevfile;
    std::atomic<std::uint64_t> GND_Image_number{0}, THD_Image_number{0};

    // Signature lists, filled once at start-up and only read afterwards.
    SignatureList Ext_Array, Adv_Ext_Array, Video_Array, Adv_Video_Array;
    SignatureList RawFile_Array, Adv_RawFile_Array, Audio_Array, Adv_Audio_Array;
    // Working lists of the check list and of the pass in progress.
    SignatureList CheckListHeader_Array, CheckListHeader_Adv_Array, REC_PROC_Array;
    std::vector<std::string> Fol_Cnt_Array;
    std::vector<std::string> MultiHeader_Array;

private:
    salvex::ControllerView& view_;
    salvex::BundleInfo bundle_;
};
