#include <cstdlib>

#include "app/globals.h"
#include "app/my_table_controller.h"
#include "app/numbers.h"

using salvex::kPhotoMode;

std::string MyTableController::Generate_File_Name(std::uint64_t number, const std::string& prefix,
                                                  const std::string& extension) const {
    return salvex::file_name_for(file_name_number(number, prefix), prefix, extension);
}

std::uint64_t MyTableController::file_name_number(std::uint64_t number, const std::string& prefix) const {
    if (Recovery_MODE != kPhotoMode) {
        // The summary row of the type keeps the count of files listed so far.
        for (const auto& row : nsSIGFileInfoDataObject) {
            const auto hidden = row.find("FileTypes_Hidden");
            if (hidden == row.end() || hidden->second != prefix) continue;
            const auto count = row.find("NoOfFile");
            const std::string listed = count == row.end() ? std::string() : count->second;
            number = static_cast<std::uint64_t>(salvex::leading_number(listed).as_signed()) + 1;
            break;
        }
    }
    return number;
}
