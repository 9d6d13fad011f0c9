#pragma once
// Process-wide values of the one running controller.
#include <atomic>
#include <cstdint>
#include <string>

class MyTableController;

namespace salvex {

enum RecoveryMode : std::int32_t { kPhotoMode = 0, kVideoMode = 1, kRawFileMode = 2, kAudioMode = 3 };

}  // namespace salvex

// Read by the scan thread while the interface thread may set it, hence atomic.
extern std::atomic<std::int32_t> Recovery_MODE;
// The edition lists internal volumes too.
extern std::uint8_t USE_HARD_DISK;
extern std::string APP_LONG_NAME;
extern MyTableController* App_DefaultInstance;
// The same controller; other threads reach the interface through it.
extern MyTableController* Main_App_wnd;
extern std::string Curr_Running_Mode_Info;
