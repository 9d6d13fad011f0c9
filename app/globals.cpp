#include "app/globals.h"

using salvex::kPhotoMode;

std::atomic<std::int32_t> Recovery_MODE{kPhotoMode};
std::uint8_t USE_HARD_DISK = 0;
std::string APP_LONG_NAME;
MyTableController* App_DefaultInstance = nullptr;
MyTableController* Main_App_wnd = nullptr;
std::string Curr_Running_Mode_Info;
