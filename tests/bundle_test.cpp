// Walks the seven edition bundles the build made, as a user's machine would have them.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/edition_profile.h"
#include "app/globals.h"
#include "app/my_table_controller.h"
#include "signatures/signature_loader.h"
#include "support/recording_view.h"
#include "support/temp_folder.h"

using salvex::SignatureList;
using salvex::kSignatureStride;
using salvex::load_signature_file;
using salvex::kExtension;
using salvex::kMax_File_Size;
using salvex::kHeader;
using salvex::kHeader_Offset;
using salvex::kDescription;
using salvex::kFirst_Byte;

namespace salvex {
void PrintTo(const EditionProfile& edition, std::ostream* out) { *out << edition.key; }
}  // namespace salvex

namespace {

namespace fs = std::filesystem;
using salvex::test::RecordingView;

bool is_hex_pairs(const std::string& s) {
    if (s.empty() || s.size() % 2 != 0) return false;
    for (char c : s)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

bool is_offset(const std::string& s) {
    if (s == "1" || s == "nn") return true;
    if (s.empty() || s.find_first_not_of("0123456789") != std::string::npos) return false;
    const long n = std::stol(s);
    return n >= 2 && n <= 507;  // beyond 507 a header can never match
}

void expect_usable_records(const SignatureList& list, const std::string& what) {
    ASSERT_FALSE(list.empty()) << what;
    ASSERT_EQ(list.size() % kSignatureStride, 0u) << what;
    for (std::size_t r = 0; r < list.size(); r += kSignatureStride) {
        const std::string at = what + " record " + std::to_string(r / kSignatureStride + 1) + " (" + list[r] + ")";
        EXPECT_FALSE(list[r + kExtension].empty()) << at;
        EXPECT_FALSE(list[r + kFirst_Byte].empty()) << at;
        EXPECT_TRUE(is_hex_pairs(list[r + kHeader])) << at << ": " << list[r + kHeader];
        EXPECT_TRUE(is_offset(list[r + kHeader_Offset])) << at << ": " << list[r + kHeader_Offset];
        const std::string& size = list[r + kMax_File_Size];
        EXPECT_TRUE(!size.empty() && size.find_first_not_of("0123456789") == std::string::npos && std::stoll(size) > 0)
            << at << ": " << size;
        EXPECT_FALSE(list[r + kDescription].empty()) << at;
    }
}

class Bundles : public ::testing::TestWithParam<salvex::EditionProfile> {
protected:
    void SetUp() override { ::setenv("XDG_DATA_HOME", home.path().c_str(), 1); }
    void TearDown() override { ::unsetenv("XDG_DATA_HOME"); }
    salvex::test::TempFolder home;
    RecordingView view;
};

TEST_P(Bundles, HoldsTheExecutableAndExactlyTheEditionsSignatureFiles) {
    const auto& edition = GetParam();
    const fs::path bundle = fs::path(SALVEX_BIN_DIR) / (std::string(edition.long_name) + ".app");
    const fs::path executable = bundle / "Contents/MacOS" / edition.long_name;
    ASSERT_TRUE(fs::is_regular_file(executable)) << executable;
    EXPECT_NE(fs::status(executable).permissions() & fs::perms::owner_exec, fs::perms::none);

    const auto info = salvex::bundle_of_executable(executable.string());
    EXPECT_EQ(info.name, edition.long_name);
    ASSERT_NE(salvex::select_edition(info.name), nullptr);
    ASSERT_EQ(salvex::select_edition(info.name)->key, edition.key);

    const auto names = salvex::signature_file_names(edition);
    std::set<std::string> expected;
    for (const auto* n : {&names.photo_dll, &names.photo_dll_adv, &names.video_dll, &names.video_dll_adv,
                          &names.raw_dll, &names.raw_dll_adv, &names.audio_dll, &names.audio_dll_adv})
        if (!n->empty()) expected.insert(*n);
    std::set<std::string> shipped;
    for (const auto& entry : fs::directory_iterator(info.resource_path))
        if (entry.path().extension() == ".sig") shipped.insert(entry.path().filename().string());
    EXPECT_EQ(shipped, expected);
}

TEST_P(Bundles, EveryShippedFileLoadsIntoUsableRecords) {
    const auto& edition = GetParam();
    const fs::path bundle = fs::path(SALVEX_BIN_DIR) / (std::string(edition.long_name) + ".app");
    MyTableController c(view, salvex::bundle_at(bundle.string()));
    c.load_signature_catalogue();
    const struct {
        bool offered;
        const SignatureList &general, &thorough;
        const std::string &general_name, &thorough_name;
    } modes[] = {{true, c.Ext_Array, c.Adv_Ext_Array, c.photo_dll, c.photo_dll_adv},
                 {edition.video, c.Video_Array, c.Adv_Video_Array, c.video_dll, c.video_dll_adv},
                 {edition.raw_file, c.RawFile_Array, c.Adv_RawFile_Array, c.raw_dll, c.raw_dll_adv},
                 {edition.audio, c.Audio_Array, c.Adv_Audio_Array, c.audio_dll, c.audio_dll_adv}};
    for (const auto& m : modes) {
        if (m.offered) {
            expect_usable_records(m.general, m.general_name);
            expect_usable_records(m.thorough, m.thorough_name);
        } else {
            EXPECT_TRUE(m.general.empty() && m.thorough.empty()) << m.general_name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllEditions, Bundles, ::testing::ValuesIn(salvex::kEditions),
                         [](const auto& param_info) { return std::string(param_info.param.key); });

// The master files: every field line must land in a record. A colon in a comment
// or a record cut short would shift or drop records silently.
TEST(SignatureData, EveryFieldLineOfTheMasterFilesLandsInARecord) {
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(SALVEX_SIGNATURE_DATA)) {
        if (entry.path().extension() != ".sig") continue;
        ++files;
        std::ifstream in(entry.path());
        std::size_t field_lines = 0, header_keys = 0;
        for (std::string line; std::getline(in, line);) {
            if (line.find(':') == std::string::npos) continue;
            ++field_lines;
            if (line.starts_with("Header :")) ++header_keys;
        }
        SignatureList list;
        load_signature_file(entry.path().string(), list);
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(field_lines % 6, 0u) << name;
        EXPECT_EQ(list.size() / kSignatureStride, field_lines / 6) << name;
        EXPECT_EQ(header_keys, field_lines / 6) << name << ": one \"Header :\" line per record";
        for (std::size_t r = 0; r < list.size(); r += kSignatureStride)
            EXPECT_EQ(list[r + kHeader], [&] {
                std::string upper = list[r + kHeader];
                for (auto& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
                return upper;
            }()) << name << " " << list[r] << ": headers are written in capitals so related headers compare as text";
    }
    EXPECT_EQ(files, 8u);
}

// A thorough header that also matches where a general one does saves the same
// file twice, so the thorough set avoids it wherever fixed bytes can: only these
// remain, each the general family's catch-all, and the finishing step drops
// their finds at sectors where a general find started.
TEST(SignatureData, ThoroughHeadersOverlapGeneralOnesOnlyWhereNoFixedHeaderCanAvoidIt) {
    const std::set<std::string> unavoidable = {
        "Photo HEIC 667479706865", "Photo WEBP 57454250",   "Video MP4 66747970",   "Video MOV 66747970",
        "Video M4V 66747970",      "Video 3GP 66747970",    "Video AVI 41564920",   "Raw PDF 255044462D",
        "Raw GZ 1F8B08",           "Raw RTF 7B5C727466",    "Audio MP3 494433",     "Audio OGG 4F6767530002",
        "Audio M4A 66747970"};
    std::set<std::string> overlapping;
    for (const std::string mode : {"Photo", "Video", "Raw", "Audio"}) {
        SignatureList general, thorough;
        load_signature_file(std::string(SALVEX_SIGNATURE_DATA) + "/" + mode + ".sig", general);
        load_signature_file(std::string(SALVEX_SIGNATURE_DATA) + "/" + mode + "Adv.sig", thorough);
        for (std::size_t t = 0; t < thorough.size(); t += kSignatureStride) {
            for (std::size_t g = 0; g < general.size(); g += kSignatureStride) {
                const std::string& th = thorough[t + kHeader];
                const std::string& gh = general[g + kHeader];
                const bool anywhere = thorough[t + kHeader_Offset] == "nn";
                const bool same_place = thorough[t + kHeader_Offset] == general[g + kHeader_Offset];
                if ((anywhere && gh.find(th) != std::string::npos) ||
                    (same_place && (th.starts_with(gh) || gh.starts_with(th))))
                    overlapping.insert(mode + " " + thorough[t + kExtension] + " " + th);
            }
        }
    }
    EXPECT_EQ(overlapping, unavoidable);
}

}  // namespace
