#pragma once
#include "cli/options.h"

class MyTableController;

namespace salvex {
class TerminalView;
}

namespace salvex::cli {

// Runs one search as the window would after its last screen, pumping the
// interface queue on this thread until the end screen has run. Returns the exit status.
int run_scan(const Options& options, MyTableController& controller, TerminalView& view);

}  // namespace salvex::cli
