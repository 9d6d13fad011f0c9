#pragma once
#include <chrono>
#include <cstdint>
#include <string>

class MyTableController;

namespace salvex::cli {

// "Sectors 20480 of 62500 (32%)  48.6 MB/s  17 files found", the speed averaged
// over the pass in progress.
class ProgressLine {
public:
    explicit ProgressLine(const MyTableController& controller) : controller_(controller) {}
    std::string operator()();

private:
    const MyTableController& controller_;
    std::uint64_t pass_start_sector_ = UINT64_MAX;
    std::chrono::steady_clock::time_point pass_started_;
};

}  // namespace salvex::cli
