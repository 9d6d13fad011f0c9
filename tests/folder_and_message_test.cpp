#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>

#include "app/diagnostics.h"
#include "app/folder_helpers.h"
#include "app/globals.h"
#include "app/message_box.h"
#include "app/my_table_controller.h"
#include "support/recording_view.h"
#include "support/temp_folder.h"

namespace {

using salvex::test::RecordingView;
using salvex::test::TempFolder;
namespace fs = std::filesystem;

TEST(CreateFolder, MakesMissingParentsWithOpenPermissions) {
    TempFolder dir;
    const mode_t old_mask = ::umask(0);
    const bool made = Create_Folder(dir / "a/b/c");
    ::umask(old_mask);
    ASSERT_TRUE(made);
    struct stat st {};
    ASSERT_EQ(::stat((dir / "a/b").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0777u);
    EXPECT_TRUE(fs::is_directory(dir / "a/b/c"));
}

TEST(CreateFolder, AnythingAlreadyThereCountsAsDoneAndFailureIsReportedNotThrown) {
    TempFolder dir;
    const std::string file = dir.write("photo.jpg", "x");
    EXPECT_TRUE(Create_Folder(file));
    EXPECT_TRUE(fs::is_regular_file(file));  // untouched, nothing made
    EXPECT_TRUE(Create_Folder(dir.path()));
    EXPECT_FALSE(Create_Folder(file + "/inside"));
    EXPECT_FALSE(Create_Folder(""));
}

TEST(Diagnostics, SinkPrintsNothing) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Show_NSLog_Message("device vanished");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_DATA_HOME", home.path().c_str(), 1); }
    void TearDown() override { ::unsetenv("XDG_DATA_HOME"); }
    TempFolder home;
    RecordingView view;
};

// An OK box whose text begins with an empty line: checked through the window (nextWithoutASelectedDriveAsksForOne).
TEST_F(MessageBoxTest, FromAnotherThreadShowsOnTheInterfaceThreadAndWaitsForIt) {
    MyTableController controller(view, {});
    std::atomic<bool> returned{false};
    std::thread scan([&] {
        Show_MessageBox("Error in storage media reading.");
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned) << "the caller must wait until the box is closed";
    EXPECT_TRUE(view.alerts().empty());
    while (!returned) view.queue().run_for(std::chrono::milliseconds(10));
    scan.join();
    ASSERT_EQ(view.alerts().size(), 1u);
    EXPECT_EQ(view.alerts()[0].thread, std::this_thread::get_id());
    EXPECT_EQ(view.alerts()[0].request.message, "\nError in storage media reading.");
}

class ThrowingView : public RecordingView {
public:
    int alert(const salvex::AlertRequest&) override { throw std::runtime_error("window gone"); }
};

TEST_F(MessageBoxTest, FailuresNeverEscape) {
    ThrowingView throwing;
    {
        MyTableController controller(throwing, {});
        EXPECT_NO_THROW(Show_MessageBox("x"));
        std::thread other([] { EXPECT_NO_THROW(Show_MessageBox("y")); });
        while (throwing.queue().run_for(std::chrono::milliseconds(100)) == 0) {}
        other.join();
    }
    EXPECT_EQ(Main_App_wnd, nullptr);
    EXPECT_NO_THROW(Show_MessageBox("nobody to show it"));
}

}  // namespace
