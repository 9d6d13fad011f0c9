// The recovery-mode radios and the range screen's choice between the whole
// volume and a sector range, set by sliders or typed.
#include <algorithm>
#include <string>

#include "app/globals.h"
#include "app/my_table_controller.h"
#include "app/numbers.h"
#include "app/texts/wizard.h"
#include "wizard/wizard_helpers.h"

using salvex::kPhotoMode;
using salvex::kVideoMode;
using salvex::kRawFileMode;
using salvex::kAudioMode;

using salvex::Outlet;
using salvex::in_set;
using salvex::wizard::hide_controls;

namespace salvex::wizard {

std::uint64_t leading_u64(std::string_view text) {
    const auto number = leading_number(text);
    return number.negative ? 0 : number.magnitude;  // a minus reads as no number
}

void hide_controls(ControllerView& view, std::span<const Outlet> controls, bool hide, bool sig) {
    for (const Outlet o : controls) view.set_hidden(in_set(o, sig), hide);
}

void reset_range(ControllerView& view, bool sig, const std::string& count_text) {
    const std::uint64_t count = leading_u64(count_text);
    // Range before value, so the new value is never clamped by the old bounds.
    view.set_range(in_set(Outlet::Start_Slider, sig), 0, count);
    view.set_value(in_set(Outlet::Start_Slider, sig), 0);
    view.set_text(in_set(Outlet::Start_Sec_Min_val, sig), "0");
    view.set_text(in_set(Outlet::Start_Sec_Max_val, sig), count_text);
    view.set_text(in_set(Outlet::Start_slider_val, sig), "0");
    view.set_range(in_set(Outlet::End_Slider, sig), 0, count);
    view.set_value(in_set(Outlet::End_Slider, sig), count);
    view.set_text(in_set(Outlet::End_Sec_Min_val, sig), "0");
    view.set_text(in_set(Outlet::End_Sec_Max_val, sig), count_text);
    view.set_text(in_set(Outlet::End_slider_val, sig), count_text);
}

}  // namespace salvex::wizard

namespace {

void choose_mode(salvex::ControllerView& view, std::int32_t mode) {
    Recovery_MODE = mode;
    view.set_state(Outlet::rec_mode_Photo, mode == kPhotoMode);
    view.set_state(Outlet::rec_mode_Video, mode == kVideoMode);
    view.set_state(Outlet::rec_mode_RawFile, mode == kRawFileMode);
    view.set_state(Outlet::rec_mode_Audio, mode == kAudioMode);
}

void choose_entire_disk(salvex::ControllerView& view, bool sig) {
    view.set_text(Outlet::help_info, std::string(salvex::text::kEntireDiskHelp));
    view.set_state(in_set(Outlet::entire_disk_rd, sig), true);
    view.set_state(in_set(Outlet::sector_range_rd, sig), false);
    hide_controls(view, salvex::kDiskCaptions, false, sig);
    hide_controls(view, salvex::kDiskValues, false, sig);
    hide_controls(view, salvex::kRangeControls, true, sig);
}

void choose_sector_range(salvex::ControllerView& view, bool sig) {
    view.set_text(Outlet::help_info, std::string(salvex::text::kRangeHelp));
    view.set_state(in_set(Outlet::entire_disk_rd, sig), false);
    view.set_state(in_set(Outlet::sector_range_rd, sig), true);
    hide_controls(view, salvex::kDiskCaptions, true, sig);
    hide_controls(view, salvex::kDiskValues, true, sig);
    salvex::wizard::reset_range(view, sig, view.text(in_set(Outlet::end_sector_entire_val, sig)));
    hide_controls(view, salvex::kRangeControls, false, sig);
}

void slider_moved(salvex::ControllerView& view, Outlet slider, Outlet field) {
    view.set_text(field, std::to_string(view.value(slider)));
}

// A typed number as a slider position: blanks skipped, then a sign, digits and a
// fraction. Text without digits reads 0. Whole sectors are kept exact, where a
// double would round typed values above 2^53.
struct TypedNumber {
    bool negative = false;
    std::uint64_t whole = 0;
    bool has_fraction = false;
};

TypedNumber read_typed_number(std::string_view text) {
    TypedNumber n;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) n.negative = text[i++] == '-';
    n.whole = salvex::wizard::leading_u64(text.substr(i));
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i < text.size() && text[i] == '.')
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) n.has_fraction |= text[i] != '0';
    if (n.whole == 0 && !n.has_fraction) n.negative = false;
    return n;
}

}  // namespace

void MyTableController::Photo_Mode_Radio() {
    salvex::wizard::guarded([&] { choose_mode(view_, kPhotoMode); });
}
void MyTableController::Video_Mode_Radio() {
    salvex::wizard::guarded([&] { choose_mode(view_, kVideoMode); });
}
void MyTableController::RawFile_Mode_Radio() {
    salvex::wizard::guarded([&] { choose_mode(view_, kRawFileMode); });
}
void MyTableController::Audio_Mode_Radio() {
    salvex::wizard::guarded([&] { choose_mode(view_, kAudioMode); });
}

void MyTableController::Entire_Disk_Radio() {
    salvex::wizard::guarded([&] { choose_entire_disk(view_, false); });
}
void MyTableController::Entire_Disk_Radio_Sig() {
    salvex::wizard::guarded([&] { choose_entire_disk(view_, true); });
}
void MyTableController::Sector_Range_Radio() {
    salvex::wizard::guarded([&] { choose_sector_range(view_, false); });
}
void MyTableController::Sector_Range_Radio_Sig() {
    salvex::wizard::guarded([&] { choose_sector_range(view_, true); });
}

void MyTableController::DO_Start_slider() {
    salvex::wizard::guarded([&] { slider_moved(view_, Outlet::Start_Slider, Outlet::Start_slider_val); });
}
void MyTableController::DO_Start_slider_Sig() {
    salvex::wizard::guarded([&] { slider_moved(view_, Outlet::Start_Slider_Sig, Outlet::Start_slider_val_Sig); });
}
void MyTableController::DO_End_slider() {
    salvex::wizard::guarded([&] { slider_moved(view_, Outlet::End_Slider, Outlet::End_slider_val); });
}
void MyTableController::DO_End_slider_Sig() {
    salvex::wizard::guarded([&] { slider_moved(view_, Outlet::End_Slider_Sig, Outlet::End_slider_val_Sig); });
}

void MyTableController::controlTextDidChange(Outlet field) {
    salvex::wizard::guarded([&] {
        Outlet slider;
        switch (field) {
            case Outlet::Start_slider_val: slider = Outlet::Start_Slider; break;
            case Outlet::Start_slider_val_Sig: slider = Outlet::Start_Slider_Sig; break;
            case Outlet::End_slider_val: slider = Outlet::End_Slider; break;
            case Outlet::End_slider_val_Sig: slider = Outlet::End_Slider_Sig; break;
            default: return;
        }
        const TypedNumber typed = read_typed_number(view_.text(field));
        const std::uint64_t sectors = salvex::wizard::leading_u64(view_.text(Outlet::sectors_val));
        const bool beyond = !typed.negative && (typed.whole > sectors || (typed.whole == sectors && typed.has_fraction));
        // A negative number puts the knob at the slider's minimum, as a slider clamps it.
        if (!beyond) view_.set_value(slider, typed.negative ? 0 : typed.whole);
    });
}

bool MyTableController::Check_For_Valid_Sec(const std::string& text) const {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}
