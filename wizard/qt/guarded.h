#pragma once
// Qt's event loop cannot carry an exception: an interface action or posted work
// that fails is logged instead, and the window carries on.
#include <exception>
#include <string_view>

#include "app/diagnostics.h"

namespace salvex::gui {

template <class Work>
void guarded(Work&& work, std::string_view unknown_failure) noexcept {
    try {
        work();
    } catch (const std::exception& e) {
        Show_NSLog_Message(e.what());
    } catch (...) {
        Show_NSLog_Message(unknown_failure);
    }
}

}  // namespace salvex::gui
