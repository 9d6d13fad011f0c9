#pragma once
// The one controller: it owns every piece of state of the program, and the window
// and salvex-scan both drive it. Its operations live beside the subsystem they
// belong to; this header holds its state and the shell's own operations.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/bundle_info.h"
#include "app/controller_view.h"
#include "devices/my_data_object.h"
#include "devices/volume_source.h"
#include "engine/open_file.h"
#include "engine/output_naming.h"
#include "engine/pass_start.h"
#include "engine/scan_parameters.h"
#include "engine/output_tree.h"
#include "engine/scan_report.h"
#include "engine/sector_reader.h"
#include "engine/finish/unit.h"

namespace salvex {
class CarvePass;
}
#include "platform/folder_lock.h"
#include "results/image_item.h"
#include "signatures/signature_list.h"

namespace salvex {

// A row of a table, keyed by the table's column identifiers.
using TableRow = std::map<std::string, std::string>;

// How the last scan ended, for callers that report it (salvex-scan's exit status).
enum class ScanOutcome { None, Completed, Stopped, Failed };

// What the last scan did, for the end notice and salvex-scan's summary. The scan
// thread writes it; read it once the scan thread has finished (the final screen
// is posted after its last write).
struct ScanTally {
    std::uint64_t general_files = 0, thorough_files = 0;  // files kept and handed over
    std::uint64_t unreadable_sectors = 0, first_unreadable = 0;
    std::vector<std::string> files_with_zeros;  // files holding zeros for unreadable sectors
    std::string failure;      // why saving failed, in plain words (salvex::plain_cause); empty when it did not
    std::string failed_path;  // the file or folder saving failed on
    bool cut_short = false;   // failed_path is a result file left cut short: kept, but not counted as recovered
    std::string result_folder;                  // the mode folder the scan wrote into
};

}  // namespace salvex

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
    void Load_Signature_List(const std::string& file_name, salvex::SignatureList& target);
    // The start-up step of the window: makes the lists empty and loads the
    // edition's signature files into the eight signature lists.
    void load_signature_catalogue();
    // Signature files of the catalogue that gave no records, and why, by mode:
    // the user is told at start-up, before any search.
    struct SignatureFileProblem {
        std::int32_t mode;
        std::string path, cause;
    };
    std::vector<SignatureFileProblem> signature_file_problems;
    // The start-up message naming them; empty when every file loaded.
    std::string signature_problems_text() const;
    // A mode is on offer when its general signature file has a real name.
    bool mode_is_offered(std::int32_t mode) const;

    // Output naming. In the modes other than photo the number continues the
    // type's count in the summary table.
    std::string Generate_File_Name(std::uint64_t number, const std::string& prefix, const std::string& extension) const;

    // The photo engine: one pass, "GEN" or "THD", on the calling thread (the
    // interface one) as the wizard's controls ask. True when the range was read to its end.
    bool Photo_Recovey_Mode(const std::string& tag) { return run_pass_here(true, tag == "GEN"); }
    // The engine of the other modes, where one header may open a group of files.
    bool Raw_File_Recovey_Mode(const std::string& tag) { return run_pass_here(false, tag == "GEN"); }
    // The number in an output name: in modes other than photo, the type's count
    // of listed files plus one.
    std::uint64_t file_name_number(std::uint64_t number, const std::string& prefix) const;

    // Scan threads. start_scan runs the scan thread of the current mode
    // (Photo_Rec_Thread or Raw_File_Rec_Thread) and startTimerThread on threads of
    // their own and returns at once. Interface thread: without choices it takes
    // them from the wizard's controls; the mode and the check list's selection
    // are the current ones either way.
    void start_scan();
    void start_scan(salvex::ScanParameters choices);
    void Photo_Rec_Thread();
    void Raw_File_Rec_Thread();
    void startTimerThread();
    void timerTickSetLabel();
    void stop_label_timer();
    // Asks for the end-of-scan screen at most once per scan, without waiting.
    void request_final_screen();
    void Final_or_Stop_Screen();
    // Waits for the scan and progress threads of the last scan to end.
    void join_scan_threads();
    // Interface thread: asks a scan still running to stop, runs the interface's
    // work meanwhile, and joins its threads; whatever they posted has run on
    // return. The destructor does it too.
    void end_scan();
    std::atomic<salvex::ScanOutcome> scan_outcome{salvex::ScanOutcome::None};
    salvex::ScanTally scan_tally;
    // How a pass opens its source for reading. Tests put a stream that fails on
    // chosen sectors here; the real one opens the node read-only.
    using SourceOpener = std::function<std::FILE*(const std::string& path, char* buffer, std::size_t size)>;
    SourceOpener source_opener;
    // How many sectors one read of the source asks for. Tests that hold the source
    // at an exact sector ask for one at a time.
    std::size_t read_sectors = salvex::kDeviceBufferSize / salvex::kSectorSize;
    // Runs the thorough pass after the general one, reading the range again, as
    // searches did before both shared one read; what a search gives must not
    // depend on it. For tests that compare the two.
    bool passes_in_turn = false;
    // Modes searched from the same read as the current one (salvex-scan --mode
    // all), each after it as if on its own: its lists and summary rows as its
    // check list gives them with every type ticked.
    struct ModeBeside {
        std::int32_t mode = 0;
        salvex::SignatureList general, thorough;
        std::vector<salvex::TableRow> rows;
    };
    std::vector<ModeBeside> modes_beside;
    // True from start_scan until the scan thread has finished its passes.
    bool scan_thread_running() const { return scan_running_; }

    // Stop button: asks, and on "Yes" asks the running pass to stop.
    void stop_usb_disk();

    // The device list: discovery of the volumes that may be searched.
    void Reload_Drive_list_Function();
    void rebresh_drives() { Reload_Drive_list_Function(); }
    void getVolumeToFSGetInfo();
    void getVolumeToBSDNode() { getVolumeToFSGetInfo(); }
    void find_disk_info(const std::string& mount_path);
    void deleteSelectedRow();
    void addRow(MyDataObject record);
    // Disk images the user added stay listed, after the volumes, through every
    // reload until the user removes them. Adding one already listed adds nothing.
    void add_disk_image(MyDataObject record);
    // Removes the image at this row of the device list; false when the row is no added image.
    bool remove_disk_image(long row);
    bool is_added_image(long row) const;
    std::vector<MyDataObject> added_images;
    // Table data source shared by the three tables; each answers for the table that asks.
    long numberOfRowsInTableView(salvex::Outlet table) const;
    std::string objectValueForTableColumn(salvex::Outlet table, const std::string& column, long row) const;
    std::vector<MyDataObject> nsMutaryOfDataObject;
    // Where discovery asks; tests put recorded systems here.
    std::unique_ptr<salvex::VolumeSource> volume_source;

    // The file-type check list of the modes other than photo.
    void createExtensionListTableRecord(const std::string& extension, int state, const std::string& description,
                                        const std::string& thoro);
    void Fill_Check_List();
    // Reduces the mode's lists to the ticked types and fills the summary rows;
    // false, after telling the user, when nothing is ticked.
    bool Apply_Check_List_Selection();
    bool Check_For_One_Extension_Selection() const;
    void Select_Unselect_Check_btn();
    void Thro_Mode_Chk_SIG_Btn() {}  // the box is read when the search starts
    void clickTable(salvex::Outlet table, const std::string& column);
    void setObjectValue(salvex::Outlet table, const std::string& column, long row, const std::string& value);
    // The general or thorough signature list of the current mode.
    const salvex::SignatureList& mode_signature_list(bool general) const;
    std::vector<salvex::TableRow> nsCheckedListDataObject;

    // Opens and closes the chosen device before a scan, so that a refusal shows up early.
    void Check_Have_Permissions();
    // Whether the chosen destination may be used: when it lies on the volume to be
    // searched the user is asked, once per destination and volume, whether to save
    // there all the same.
    bool destination_off_source();
    std::string accepted_destination_on_source;
    // Takes the result folder of the chosen destination and mode for the coming
    // search (made if need be), so that no other search saves into it meanwhile;
    // the scan thread lets it go when it ends. False, after telling the user,
    // when another search holds it or it cannot be made.
    bool claim_result_folder();

    // Device access dialogs, interface thread.
    void showPermissionAlertAndGuideUser(int error_code);
    void showGenericErrorAlert(int error_code);

    // Screens the engine returns to when the device does not open.
    void show_hide_2_screen(bool hide);
    void show_hide_3_screen_Photo(bool hide);
    void show_hide_3_screen_RawFile(bool hide);
    void show_hide_4_screen_RawFile(bool hide);

    // The wizard, interface thread. awakeFromNib sets the window up once its
    // controls exist; Next and Back move screen_counter and start the scan.
    void awakeFromNib();
    void Next_btn();
    void Back_btn();
    void show_hide_1_screen(bool hide);
    // Mode radios of the device screen.
    void Photo_Mode_Radio();
    void Video_Mode_Radio();
    void RawFile_Mode_Radio();
    void Audio_Mode_Radio();
    // Range choice of the photo set and of its _Sig twin.
    void Entire_Disk_Radio();
    void Entire_Disk_Radio_Sig();
    void Sector_Range_Radio();
    void Sector_Range_Radio_Sig();
    void DO_Start_slider();
    void DO_Start_slider_Sig();
    void DO_End_slider();
    void DO_End_slider_Sig();
    // A range text field was edited: its slider follows when the value fits.
    void controlTextDidChange(salvex::Outlet field);
    // True when every character is one of "0" to "9" (the empty text too).
    bool Check_For_Valid_Sec(const std::string& text) const;
    // Destination: the information window, then the folder chooser.
    void Browse_Path();
    void Browse_Path_Sig();
    // The chooser's answer: a folder, or nothing when cancelled.
    void openPanelDidEnd(const std::optional<std::string>& folder);
    void Open_Folder_btn();
    void Open_Folder_btn_Sig();
    // Help, support and exit.
    void Help_btn();
    void HelpFilePressed();  // the support window's help button
    void About_btn();
    void Contact_Us_btn();
    void Copy_Email();
    void Copy_URL();
    void Copy_URL_2();
    void Open_Support_Mail();
    void Open_Website_1();
    void Open_Website_2();
    void Open_Website_3();
    void Open_Website_4();
    void Open_Reseller_Mail();
    void Exit_Btn();
    void Exit_App();
    // The main window's close box: asks the exit question, never closes by itself.
    bool windowShouldClose();

    // Thumbnail hand-over, interface thread.
    void addImageWithPath(const std::string& path, const std::string& name, const std::string& uid);
    // A listed photo that did not decode shows the no-preview picture instead.
    void show_no_preview(const std::string& uid, const std::string& path);
    // Data source of both browsers: the user removes items, or drags them to a new place
    // (the block lands at the destination less the moved items that were above it).
    void imageBrowser_removeItemsAtIndexes(salvex::Outlet browser, std::vector<std::size_t> indexes);
    bool imageBrowser_moveItemsAtIndexes(salvex::Outlet browser, std::vector<std::size_t> indexes,
                                         std::size_t destination);
    // File-list hand-over of the other modes, interface thread.
    void addImageWithPath_2(const std::string& path, const std::string& name, const std::string& uid);
    void createSignatureListTableRecord(const std::string& type, std::uint64_t count, const std::string& name,
                                        const std::string& path, const std::string& hidden_type);
    // Set while the file list's preview is being prepared (the wait sheet is up).
    std::atomic<bool> session{false};

    // The file list's selection and preview, interface thread. Only the file
    // list (imageBrowser_2) previews; the photo browser's selection does nothing here.
    void imageBrowserSelectionDidChange(salvex::Outlet browser);
    void imageBrowser_cellWasDoubleClickedAtIndex(salvex::Outlet browser, std::uint64_t index);
    void CreateFile_QuickLook_View(const std::string& path);
    void QuickLook_Preview_Thread(const std::string& path);
    void setQuickLook_View(const std::string& path);
    void Image_Preview(const std::string& path, const std::string& file_name);
    void closemovie_Win();
    bool isPlaying(salvex::Outlet movie) const;
    void stopPlayingMovie(salvex::Outlet movie);
    // The part of a scroller that was hit, and the value it moves the scroller to.
    enum class ScrollerPart { None, DecrementPage, IncrementPage, DecrementLine, IncrementLine, Knob, KnobSlot };
    static double scrollerAction(ScrollerPart hit, double value);
    // Largest preview picture, in points.
    static constexpr int kPreviewPoints = 200;
    // How long the final screen waits after a preview that held it up.
    static constexpr std::chrono::milliseconds kHandOffPause{1000};

    // Edition values.
    std::string App_Name;
    std::string Rec_Folder_Name;
    std::string Created_Resource_Path;
    std::string photo_dll, photo_dll_adv, video_dll, video_dll_adv;
    std::string raw_dll, raw_dll_adv, audio_dll, audio_dll_adv;
    std::string support_id, Website_1, Website_2, Website_3, Website_4, support_with_content;

    // Scan positions: the scan thread writes them while the progress tick reads them.
    std::atomic<std::uint64_t> start_sector{0}, end_sector{0}, total_sector{0}, for_index{0};
    std::atomic<std::int32_t> stop_now{0}, stop_screen_already_show{0};
    std::int32_t screen_counter = 0;
    static constexpr std::uint64_t kNotFound = (std::uint64_t{1} << 63) - 1;
    std::uint64_t Prev_Index = kNotFound;
    std::string noprevfile;
    std::atomic<std::uint64_t> GND_Image_number{0}, THD_Image_number{0};
    // Files kept so far by every pass of the scan, those held back to be handed
    // over later included: what the terminal's progress line counts.
    std::atomic<std::uint64_t> files_found{0};

    // Signature lists, filled once at start-up and only read afterwards.
    salvex::SignatureList Ext_Array, Adv_Ext_Array, Video_Array, Adv_Video_Array;
    salvex::SignatureList RawFile_Array, Adv_RawFile_Array, Audio_Array, Adv_Audio_Array;
    // The check list's ticked types, general and thorough: what a search in the
    // modes other than photo looks for.
    salvex::SignatureList CheckListHeader_Array, CheckListHeader_Adv_Array;

    // Results: the browser items (interface thread) and the per-type summary rows.
    std::vector<MyImageObject> images;
    std::vector<std::uint8_t> Null_Image_Data;
    std::vector<salvex::TableRow> nsSIGFileInfoDataObject;
    static constexpr std::uint64_t PREVIEW_CLEAR_LIMIT = 2000;
    // How long the notice that the preview is being emptied stays before it is;
    // the scan waits meanwhile. salvex-scan shows no preview, so it waits not at all.
    std::chrono::milliseconds clearing_pause{std::chrono::seconds(4)};
    std::atomic<std::uint64_t> Preview_Image_Count{0};
    // Photo hand-overs posted to the interface thread and not yet run there.
    std::atomic<std::uint64_t> photos_in_flight{0};

private:
    friend class salvex::CarvePass;

    // The source as the running search reads it: the scan thread opens and closes it, nobody else.
    std::FILE* pFile_Disk = nullptr;
    void close_source();
    // The completed snapshot: the current mode and what its passes look for.
    void take_scan_parameters(salvex::ScanParameters choices);
    // Runs the scan; an unexpected failure of either engine is told and ends it as failed.
    void run_guarded(const std::function<void()>& scan);
    bool run_pass_here(bool photo, bool general);
    // Interface thread: the wizard's choices for a search, as its controls hold them.
    salvex::ScanParameters read_scan_parameters() const;
    // The search in progress as start_scan took it; the scan thread's alone while it runs.
    salvex::ScanParameters scan_params_;
    // open_source: false for a pass held back beside another, which read for it.
    std::optional<salvex::PassStart> start_pass(bool general, bool open_source = true);
    // Closes the source at the end of the range; the pass's result.
    // The pass's result once its loop ends: false, with the read-failure message,
    // when the source ended before the range did.
    bool end_pass(bool source_ended, const salvex::SectorReader& reader);
    // The passes of a search in the current mode and of the modes beside it; true
    // when the general pass of the current mode read the range to its end.
    bool run_passes(bool photo);
    // Passes held back beside a general pass: its own thorough one, or both of another mode's.
    struct HeldSearch;
    // The search of the current mode, with the modes of `later` beside it that
    // can be; those that cannot stay in `later`. True when its general pass read
    // the range to its end.
    bool run_search(bool photo, std::vector<const ModeBeside*>& later);
    std::vector<HeldSearch> hold_beside(bool photo, const salvex::PassStart& start, std::vector<const ModeBeside*>& later);
    // One pass on its own, started, read and ended; true when it read the range to its end.
    bool run_pass(bool photo, bool general);
    // The pass of this mode over the range the start gives, on the list it names.
    std::unique_ptr<salvex::CarvePass> make_pass(bool photo, bool general, salvex::PassStart start);
    std::unique_ptr<salvex::CarvePass> make_pass(bool photo, bool general, salvex::PassStart start, const salvex::SignatureList& list);
    // A pass to read beside another, holding back; null when it cannot (its list
    // reads nothing or is damaged, no holding folder).
    std::unique_ptr<salvex::CarvePass> make_held_pass(bool photo, const salvex::PassStart& start, const salvex::SignatureList& list);
    // Reads the pass's range, each sector once, for it and then for each pass
    // beside it, which are discarded when it ends short of its end; its result.
    bool read_pass(salvex::CarvePass& pass, const std::vector<salvex::CarvePass*>& beside);
    // The current mode becomes this one, as salvex-scan sets a mode up.
    void switch_to_mode(const ModeBeside& mode);
    // A held-back pass whose reading is done: started as it would have been now,
    // it completes at once. False when it did not.
    bool release_held_general(salvex::CarvePass& pass);
    void release_held_pass(salvex::CarvePass& pass);
    // A stop asked for between the releases: the search ends there.
    bool stopped_between_passes();
    // A kept file: counted and listed in the report; `zeroed`: its sectors given as zeros.
    void record_kept(const salvex::PassStart& pass, bool general, const salvex::PassFile& file,
                     std::vector<std::uint64_t> zeroed);
    // Every 2000 results the preview is emptied, after a notice the user can read.
    void clear_full_preview(std::string_view notice, salvex::Outlet browser);
    // Whether a hand-over is shown: counts it as the preview's limits say, and
    // gives the trimmed path when it is to be listed.
    std::optional<std::string> preview_admits(const std::string& path);
    void device_open_failure(int error_code);
    // `why`: the file or folder that failed and the cause, for the end notice and
    // salvex-scan (the cause from errno when not given); `cut_short`: that file
    // exists partly written.
    void write_failure(std::FILE*& failing_stream, const salvex::Refusal& why = {}, bool cut_short = false);
    std::unique_ptr<salvex::ScanReport> report_;
    // Where the general finds of the search in progress start, for its thorough pass.
    std::shared_ptr<std::vector<std::uint64_t>> search_starts_;
    // Unreadable sectors of the last reading, and the first of them.
    std::pair<std::uint64_t, std::uint64_t> unreadable_read_;

    salvex::ControllerView& view_;
    salvex::BundleInfo bundle_;

    // The result folder claimed for the search, and the folders the claim made.
    salvex::platform::FolderLock result_lock_;
    std::vector<std::string> claim_made_folders_;
    // saved: the search came to save there (else the folders the claim made go).
    void release_result_folder(bool saved);

    // The progress timer (mSetLabelTimer): runs while set, stopped by clearing it.
    std::mutex timer_mutex_;
    std::condition_variable timer_wake_;
    bool mSetLabelTimer = false;
    std::thread scan_thread_, timer_thread_;
    std::atomic<bool> scan_running_{false};
    // The source stream's buffer.
    std::unique_ptr<char[]> device_buffer_;
    // Where the sector reader gathers its big reads; apart from the stream's own
    // buffer, which a wrapped source may still use underneath.
    std::unique_ptr<std::uint8_t[]> read_buffer_;
    // The source opened again with a buffer of one sector, for reading sector by
    // sector where a bulk read failed; the reader closes it.
    std::FILE* open_single_sector_source(const std::string& path);
    std::array<char, salvex::kSectorSize> source_sector_{};
};
