#pragma once
// Pieces the wizard's source files share; not part of the controller's face.
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "app/controller_view.h"
#include "app/diagnostics.h"

namespace salvex::wizard {

// The whole number a text starts with, leading blanks and a "+" skipped; 0 when
// it starts with no digit; the largest value when it does not fit.
std::uint64_t leading_u64(std::string_view text);

// Hides or shows each control, the one of the current mode's set.
void hide_controls(ControllerView& view, std::span<const Outlet> controls, bool hide, bool sig_set);
inline void hide_controls(ControllerView& view, std::initializer_list<Outlet> controls, bool hide, bool sig_set) {
    hide_controls(view, std::span(controls.begin(), controls.size()), hide, sig_set);
}

// Puts both sliders of a control set back to the whole volume: start 0, end the
// count, with their minimum and maximum labels and their text fields.
void reset_range(ControllerView& view, bool sig_set, const std::string& count_text);

// An interface action never lets a failure escape into the event loop.
template <class Action>
void guarded(Action&& action) noexcept {
    try {
        action();
    } catch (const std::exception& e) {
        Show_NSLog_Message(e.what());
    } catch (...) {
        Show_NSLog_Message("unknown failure in a wizard action");
    }
}

}  // namespace salvex::wizard
