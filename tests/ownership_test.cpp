// Run as root for someone else (pkexec, sudo), salvex-scan hands every folder
// and file it makes to that person.
#include <gtest/gtest.h>

#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/shell.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace salvex::test;

constexpr uid_t kOther = 65534;  // nobody

struct Owners {
    int entries = 0;
    int wrong = 0;
    std::string first_wrong;
};

Owners check_owners(const fs::path& top, uid_t uid, gid_t gid) {
    Owners owners;
    auto check = [&](const fs::path& path) {
        struct stat st {};
        ::lstat(path.c_str(), &st);
        ++owners.entries;
        if (st.st_uid != uid || st.st_gid != gid) {
            if (owners.wrong++ == 0)
                owners.first_wrong = path.string() + " is " + std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid);
        }
    };
    check(top);
    for (const auto& entry : fs::recursive_directory_iterator(top)) check(entry.path());
    return owners;
}

TEST(Ownership, EverythingAScanMakesBelongsToTheInvokingUser) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can hand files to another user; run the tests as root to check this";
    const passwd* pw = ::getpwuid(kOther);
    ASSERT_NE(pw, nullptr) << "no passwd entry for uid 65534";
    const std::string card = std::string(SALVEX_SAMPLE_DIR) + "/sample-card.img";
    TempFolder sources;
    // The other engine: a PDF header at a sector start, found by both passes.
    const std::string pdf_card = sources.write("pdf.img", std::string(1024, '\0') + "%PDF-1.4\n" + std::string(31 * 1024 - 9, '\0'));

    struct Case {
        std::string env;
        gid_t gid;
        std::string scan;
    };
    for (const Case& c : {Case{"PKEXEC_UID=65534", pw->pw_gid, " --source " + quote(card)},
                          Case{"SUDO_UID=65534 SUDO_GID=4242", 4242, " --source " + quote(card)},
                          Case{"PKEXEC_UID=65534", pw->pw_gid, " --mode file --source " + quote(pdf_card)}}) {
        TempFolder dest;
        ::chown(dest.path().c_str(), kOther, c.gid);
        const fs::path results = fs::path(dest.path()) / "new" / "results";  // made by the scan, parents too
        const Ran ran = run(c.env + " XDG_DATA_HOME=" + quote(dest / "data") + " " + quote(std::string(SALVEX_BIN_DIR) + "/salvex-scan") +
                            c.scan + " --dest " + quote(results.string()));
        ASSERT_EQ(ran.status, 0) << ran.output;
        const Owners owners = check_owners(fs::path(dest.path()) / "new", kOther, c.gid);
        EXPECT_GE(owners.entries, 10) << c.env << c.scan << ": too little came back to tell";
        EXPECT_EQ(owners.wrong, 0) << c.env << c.scan << ": " << owners.first_wrong;
    }
}

TEST(Ownership, WithoutAnInvokingUserRootKeepsWhatItMakes) {
    if (::geteuid() != 0) GTEST_SKIP() << "only meaningful as root";
    TempFolder dest;
    const Ran ran = run("env -u PKEXEC_UID -u SUDO_UID -u SUDO_GID XDG_DATA_HOME=" + quote(dest / "data") + " " +
                        quote(std::string(SALVEX_BIN_DIR) + "/salvex-scan") + " --source " +
                        quote(std::string(SALVEX_SAMPLE_DIR) + "/sample-card.img") + " --dest " + quote(dest / "out"));
    ASSERT_EQ(ran.status, 0) << ran.output;
    EXPECT_EQ(check_owners(dest / "out", 0, 0).wrong, 0);
}

}  // namespace
