#pragma once
// Runs photo scans through the real controller and threads, with the recording
// view standing in for the window: the test thread is the interface thread.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/my_table_controller.h"
#include "support/recording_view.h"
#include "support/faulty_source.h"
#include "support/temp_folder.h"

namespace salvex::test {

// One signature record in the loader's seven-text form.
SignatureList record(const std::string& extension, std::uint64_t max_size, const std::string& header,
                     const std::string& offset = "1");
// Two lists in one, the first's records first.
inline SignatureList operator+(SignatureList a, const SignatureList& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Pumps the view's queue until the controller's scan is over, then joins its
// threads; false when that takes longer than the limit (a bound, not a timing check).
bool finish_scan(MyTableController& controller, RecordingView& view,
                 std::chrono::seconds limit = std::chrono::seconds(60));

class ScanHarness {
public:
    explicit ScanHarness(SignatureList general = {}, SignatureList thorough = {});
    ~ScanHarness();

    // The wizard's choices: the whole source, or sectors [start, end); start()
    // hands them to the search. The source and the destination also go to their
    // controls, where the checks before a search look.
    void choose(const std::string& source_path, std::uint64_t sectors, const std::string& destination,
                bool thorough = false, std::optional<std::pair<std::uint64_t, std::uint64_t>> range = std::nullopt,
                std::int32_t mode = 0);
    void start();
    // Pumps the interface queue until the scan thread is done and nothing is left
    // to run; false when that takes longer than the limit.
    bool run_until_done(std::chrono::seconds limit = std::chrono::seconds(60));
    // Pumps until the condition holds (checked between batches of interface work).
    template <class Condition>
    bool pump_until(Condition condition, std::chrono::seconds limit = std::chrono::seconds(60));

    std::string pass_folder(bool general, const std::string& mode_folder = "Photo Search") const;
    std::size_t count_alerts(const std::string& message) const;
    std::vector<std::string> alert_messages() const;
    // The paths of the results handed to the thumbnail browser, in order.
    std::vector<std::string> handed_over() const;
    // What the search left and showed, as text to hold against another search's:
    // each folder and file under the destination (a file by its size and a digest
    // of its bytes, report.xml by its lines but the time), the results handed over
    // in order, the interface calls in order but the progress ticks', the outcome
    // and the tally. Paths are told from the harness's home.
    std::string what_the_search_gave() const;

    TempFolder home;
    RecordingView view;
    MyTableController controller;
    std::string destination;
    ScanParameters choices;
    // Every scan's source goes through it; the harness fails a test that wrote.
    FaultySource source;

private:
    bool wrapped_ = false;
};

// What a search of the whole card with both passes gave (what_the_search_gave),
// the passes in turn or from one read. In the modes other than photo every
// type of the lists is ticked.
std::string what_a_search_gave(const std::string& card, std::uint64_t sectors, const SignatureList& general,
                               const SignatureList& thorough, std::int32_t mode, bool exact, bool in_turn);

template <class Condition>
bool ScanHarness::pump_until(Condition condition, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        view.queue().run_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace salvex::test
