#pragma once
#include <cstdint>
#include <string>

#include "cli/options.h"

class MyTableController;

namespace salvex::cli {

std::int32_t mode_number(const std::string& mode);

// Sets the recovery mode and, outside photo mode, fills the check list and ticks
// the chosen types as the file-type screen would. Returns 0, or the exit status
// after saying what is wrong.
int choose_mode_and_types(const Options& options, MyTableController& controller, bool apply_selection);

// The check list of the current mode: type, description, and whether only the
// thorough pass looks for it.
void print_type_list(const MyTableController& controller);
// For --mode all: the check list of each mode the edition offers, under its name.
void print_every_type_list(MyTableController& controller);

}  // namespace salvex::cli
