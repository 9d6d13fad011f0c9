// salvex-scan end to end in the video, file and audio modes: one FAT32 card
// holding files made here by real encoders (ffmpeg, sox, ghostscript, pandoc,
// gnumeric, zip, 7z, gzip, sqlite3) and LibreOffice (committed), some deleted, searched in each mode by the
// built binary exactly as a user runs it.
//
// Making the files takes seconds and CTest runs every case in its own process,
// so they are made once into a folder of the build tree, under a lock, and made
// again only when the recipes below change.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string_view>
#include <tuple>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "signatures/signature_list.h"
#include "signatures/signature_loader.h"
#include "support/modes_card.h"
#include "support/scan_harness.h"
#include "support/shell.h"
#include "support/temp_folder.h"

using salvex::SignatureList;
using salvex::kSignatureStride;
using salvex::load_signature_file;
using salvex::kExtension;
using salvex::kHeader;
using salvex::kHeader_Offset;

namespace {

namespace fs = std::filesystem;
using salvex::test::TempFolder;
using namespace salvex::test;
using namespace salvex::test::modes;

constexpr std::size_t kSector = 512;
const fs::path kBin = SALVEX_BIN_DIR;
const fs::path kMedia = SALVEX_MODES_MEDIA_DIR;
const fs::path kResources = kBin / "Salvex Birch Recovery.app/Contents/Resources";
const std::string kResults = "Salvex Birch Recovery Results";
const std::string kGeneral = "General Recovery Results";
const std::string kThorough = "Omitted (recovered by Thorough Scan)";

// ---- running things ----

// The first `limit` bytes: recovered files can run to the end of the card.
std::string head(const fs::path& path, std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(limit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}




// Reports sizes and where the bytes part, never the bytes themselves.
testing::AssertionResult begins_with(const std::string& carved, std::size_t carved_size, const std::string& original) {
    if (carved.size() >= original.size() && carved.compare(0, original.size(), original) == 0)
        return testing::AssertionSuccess();
    std::size_t same = 0;
    while (same < carved.size() && same < original.size() && carved[same] == original[same]) ++same;
    return testing::AssertionFailure() << "a file of " << carved_size << " bytes does not begin with the " << original.size()
                                       << "-byte original: they agree on the first " << same << " bytes";
}

// The card and its files are made by support/modes_card.
const fs::path& media() { return modes_media(kMedia); }


// The bytes of a sample, or why there are none.
struct Made {
    const Sample* sample = nullptr;
    std::string bytes;
    std::string skipped, failed;
    bool deleted = false;
};

const std::vector<Made>& made_samples() {
    static const std::vector<Made> list = [] {
        std::vector<Made> out;
        std::size_t kept = 0;
        for (const auto& s : all_samples()) {
            Made m;
            m.sample = &s;
            const fs::path base = media() / "made" / s.file;
            if (fs::exists(base.string() + ".skip")) m.skipped = slurp(base.string() + ".skip");
            else if (fs::exists(base.string() + ".fail")) m.failed = slurp(base.string() + ".fail");
            else m.bytes = slurp(base);
            if (!m.bytes.empty()) m.deleted = kept++ % 2 == 1;
            out.push_back(std::move(m));
        }
        return out;
    }();
    return list;
}

const Made& made(const std::string& name) {
    for (const auto& m : made_samples())
        if (m.sample->name == name) return m;
    throw std::runtime_error("no sample " + name);
}

std::size_t largest_sample() {
    std::size_t n = 0;
    for (const auto& m : made_samples()) n = std::max(n, m.bytes.size());
    return n;
}

const Card& card() { return modes_card(kMedia); }

// ---- running salvex-scan ----

struct Recovered {
    std::string pass;  // kGeneral or kThorough
    std::string type;  // the type folder
    std::string name;
    std::uintmax_t size = 0;
    std::string head;  // enough bytes to hold the largest sample
};

struct Scan {
    Ran run;
    fs::path search;  // <dest>/Salvex Birch Recovery Results/<mode folder>
    std::vector<Recovered> files;
    std::vector<std::string> strays;  // anything not at pass/type/file
    std::string hash_before, hash_after;
};

// The hash of the source before the scan is taken when not known already.
Scan scan(const fs::path& image, Mode mode, const TempFolder& tmp, const std::string& options, std::string hash_before = {}) {
    Scan s;
    const fs::path dest = tmp / "out";
    s.hash_before = hash_before.empty() ? sha256(image) : std::move(hash_before);
    s.run = run("XDG_DATA_HOME=" + quote(tmp / "data") + " " + quote((kBin / "salvex-scan").string()) + " --source " +
                quote(image.string()) + " --dest " + quote(dest.string()) + " --mode " + option_of(mode) + " " + options +
                " </dev/null");
    s.hash_after = sha256(image);
    s.search = dest / kResults / folder_of(mode);
    const std::size_t limit = std::max<std::size_t>(largest_sample(), 64u << 10) + kSector;
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(dest, ec)) {
        if (!entry.is_regular_file()) continue;
        const fs::path rel = fs::relative(entry.path(), s.search);
        if (rel == "report.xml") continue;
        std::vector<std::string> parts(rel.begin(), rel.end());
        if (parts.size() != 3 || (parts[0] != kGeneral && parts[0] != kThorough)) {
            s.strays.push_back(fs::relative(entry.path(), dest).string());
            continue;
        }
        s.files.push_back({parts[0], parts[1], parts[2], entry.file_size(), head(entry.path(), limit)});
    }
    std::sort(s.files.begin(), s.files.end(),
              [](const Recovered& a, const Recovered& b) { return std::tie(a.pass, a.type, a.name) < std::tie(b.pass, b.type, b.name); });
    return s;
}

// One full search per mode and process, with the thorough pass, as a user runs
// it, or with the files as the carving rule alone leaves them.
const Scan& full_scan(Mode mode, bool whole_sectors = false) {
    static std::map<std::pair<Mode, bool>, std::pair<std::unique_ptr<TempFolder>, Scan>> scans;
    auto it = scans.find({mode, whole_sectors});
    if (it == scans.end()) {
        auto tmp = std::make_unique<TempFolder>();
        Scan s = scan(card().image, mode, *tmp, whole_sectors ? "--whole-sectors" : "", card().hash);
        it = scans.emplace(std::make_pair(mode, whole_sectors), std::make_pair(std::move(tmp), std::move(s))).first;
    }
    return it->second.second;
}

// The type folders of a pass holding a file that begins with the whole original.
std::map<std::string, std::size_t> whole_in(const Scan& s, const std::string& pass, const std::string& original) {
    std::map<std::string, std::size_t> folders;
    for (const auto& f : s.files)
        if (f.pass == pass && f.head.starts_with(original)) ++folders[f.type];
    return folders;
}

Folders keys(const std::map<std::string, std::size_t>& m) {
    Folders k;
    for (const auto& [key, value] : m) k.insert(key);
    return k;
}

// The recovered file of the pass and type that shares the longest start with the original, to show how it was cut.
std::string closest(const Scan& s, const std::string& pass, const std::string& type, const std::string& original) {
    const Recovered* best = nullptr;
    std::size_t best_same = 0;
    for (const auto& f : s.files) {
        if (f.pass != pass || f.type != type) continue;
        std::size_t same = 0;
        while (same < f.head.size() && same < original.size() && f.head[same] == original[same]) ++same;
        if (best == nullptr || same > best_same) best = &f, best_same = same;
    }
    if (best == nullptr) return "no " + type + " file was recovered in " + pass;
    return best->pass + "/" + type + "/" + best->name + " (" + std::to_string(best->size) + " bytes) agrees with the " +
           std::to_string(original.size()) + "-byte original on its first " + std::to_string(best_same) + " bytes";
}

std::string zip_first_entry(const std::string& bytes) {
    if (bytes.size() < 30 || bytes.compare(0, 4, "PK\x03\x04") != 0) return {};
    const std::size_t length = static_cast<unsigned char>(bytes[26]) + 256u * static_cast<unsigned char>(bytes[27]);
    return bytes.substr(30, length);
}

// ---- signature records as the bundle ships them ----

struct Header {
    std::string extension, hex, offset;
    std::string bytes;
};

std::vector<Header> headers_of(const std::string& file) {
    SignatureList list;
    load_signature_file((kResources / file).string(), list);
    std::vector<Header> out;
    for (std::size_t r = 0; r + kSignatureStride <= list.size(); r += kSignatureStride) {
        Header h{list[r + kExtension], list[r + kHeader], list[r + kHeader_Offset], {}};
        for (std::size_t k = 0; k + 1 < h.hex.size(); k += 2) h.bytes += static_cast<char>(std::stoi(h.hex.substr(k, 2), nullptr, 16));
        out.push_back(std::move(h));
    }
    return out;
}

bool matches_at_start(const Header& h, std::string_view sector) {
    if (h.offset == "nn") return sector.find(h.bytes) != std::string_view::npos;
    const std::size_t at = std::stoul(h.offset) - 1;
    return at < sector.size() && sector.substr(at, h.bytes.size()) == h.bytes;
}

const char* thorough_file(Mode m) {
    return m == Mode::Video ? "BIRVideoAdv.sig" : m == Mode::File ? "BIRRawAdv.sig" : "BIRAudioAdv.sig";
}

// How much of a file the thorough pass can give back in one piece: its records
// also fire inside their own files (ZIP entries, ADTS frames, transport tables).
std::size_t thorough_piece(const std::string& bytes, Mode m) {
    static std::map<Mode, std::vector<Header>> records;
    if (!records.contains(m)) records[m] = headers_of(thorough_file(m));
    for (std::size_t at = kSector; at + kSector <= bytes.size(); at += kSector)
        for (const auto& h : records[m])
            if (matches_at_start(h, std::string_view(bytes).substr(at, kSector))) return at;
    return bytes.size();
}

// ---- every promised type comes back ----

class ModeSamples : public ::testing::TestWithParam<Sample> {};

TEST_P(ModeSamples, ComeBackWholeInTheFolderOfEachFormatOfTheirGroup) {
    const Made& m = made(GetParam().name);
    const Sample& sample = *m.sample;
    if (!m.skipped.empty()) GTEST_SKIP() << m.skipped;
    ASSERT_TRUE(m.failed.empty()) << sample.file << " could not be made: " << m.failed;
    SCOPED_TRACE(sample.file + (m.deleted ? " (deleted, then the card formatted)" : " (on the card when it was formatted)"));
    EXPECT_FALSE(card().listed.contains(sample.file));

    Folders general = sample.general, thorough = sample.thorough;
    if (sample.first_entry_decides) {
        // Office writes [Content_Types].xml first; other orders fall to the thorough ZIP group.
        const std::string first = zip_first_entry(m.bytes);
        ASSERT_FALSE(first.empty()) << sample.file << " is not a ZIP";
        if (first == "[Content_Types].xml") general = kOfficeGroup;
        else thorough = kZipGroup;
    }
    ASSERT_FALSE(general.empty() && thorough.empty());
    std::string own = fs::path(sample.file).extension().string().substr(1);  // the folder of its own extension
    for (auto& c : own) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(general.contains(own) || thorough.contains(own)) << "the data must give " << own << " a candidate";

    const Scan& s = full_scan(sample.mode, true);
    ASSERT_EQ(s.run.status, 0) << s.run.output;
    EXPECT_EQ(s.hash_after, s.hash_before) << "the scan changed its source";
    const auto in_general = whole_in(s, kGeneral, m.bytes);
    EXPECT_EQ(keys(in_general), general) << "general pass; " << closest(s, kGeneral, own, m.bytes);
    for (const auto& [type, n] : in_general) EXPECT_EQ(n, 1u) << type << " should hold one candidate of it";
    if (general.empty()) {
        const std::string piece = m.bytes.substr(0, thorough_piece(m.bytes, sample.mode));
        SCOPED_TRACE(piece.size() == m.bytes.size() ? std::string("whole in the thorough pass")
                                                     : "a thorough record starts a file at byte " + std::to_string(piece.size()) +
                                                           " of it, so its first piece ends there");
        const auto in_thorough = whole_in(s, kThorough, piece);
        EXPECT_EQ(keys(in_thorough), thorough) << "thorough pass; " << closest(s, kThorough, own, piece);
        for (const auto& [type, n] : in_thorough) EXPECT_EQ(n, 1u) << type << " should hold one candidate of it";
    }
}

// As a user gets them: each sample once, byte for byte, under its own type. A sample that a thorough header cuts inside
// itself cannot come back whole from the thorough pass, whatever follows.
TEST_P(ModeSamples, ComeBackOnceByteForByteUnderTheirOwnType) {
    const Made& m = made(GetParam().name);
    if (!m.skipped.empty()) GTEST_SKIP() << m.skipped;
    ASSERT_TRUE(m.failed.empty()) << m.failed;
    const Sample& sample = *m.sample;
    const Scan& s = full_scan(sample.mode);
    ASSERT_EQ(s.run.status, 0) << s.run.output;
    // An Office file whose first entry is not [Content_Types].xml falls to the thorough ZIP group; where its inner
    // local headers lie moves with the compressed size of its dated entries, so some days one starts a sector.
    const bool only_thorough = sample.first_entry_decides ? zip_first_entry(m.bytes) != "[Content_Types].xml"
                                                          : sample.general.empty();
    if (only_thorough && thorough_piece(m.bytes, sample.mode) < m.bytes.size())
        GTEST_SKIP() << "a thorough header lies inside " << sample.file;
    std::string own = fs::path(sample.file).extension().string().substr(1);
    for (auto& c : own) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::vector<std::string> exact;
    for (const auto& f : s.files)
        if (f.size == m.bytes.size() && f.head == m.bytes) exact.push_back(f.pass + "/" + f.type + "/" + f.name);
    ASSERT_EQ(exact.size(), 1u) << sample.file << "; " << closest(s, kGeneral, own, m.bytes);
    EXPECT_NE(exact[0].find("/" + own + "/"), std::string::npos) << exact[0];

}

INSTANTIATE_TEST_SUITE_P(EveryType, ModeSamples, ::testing::ValuesIn(all_samples()),
                         [](const auto& param_info) {
                             const Mode m = param_info.param.mode;
                             return std::string(m == Mode::Video ? "Video_" : m == Mode::File ? "File_" : "Audio_") +
                                    param_info.param.name;
                         });

// ---- what every search leaves behind ----

class EveryMode : public ::testing::TestWithParam<Mode> {};

TEST_P(EveryMode, LeavesTheCardAsItWasAndNamesFilesByTypeAndPass) {
    const Scan& s = full_scan(GetParam());
    ASSERT_EQ(s.run.status, 0) << s.run.output;
    EXPECT_EQ(s.hash_after, s.hash_before) << "the scan changed its source";
    EXPECT_TRUE(s.strays.empty()) << s.strays.front() << " lies outside <pass>/<type>/";
    ASSERT_FALSE(s.files.empty());

    // <EXT>00001.<EXT> on: the general pass counts from 1, the thorough pass goes on from there.
    std::map<std::pair<std::string, std::string>, std::vector<int>> numbers;
    for (const auto& f : s.files) {
        const std::string& t = f.type;
        const bool shaped = f.name.size() == 2 * t.size() + 6 && f.name.starts_with(t) && f.name.ends_with("." + t) &&
                            std::all_of(f.name.begin() + static_cast<long>(t.size()),
                                        f.name.begin() + static_cast<long>(t.size() + 5),
                                        [](char c) { return c >= '0' && c <= '9'; });
        EXPECT_TRUE(shaped) << f.pass << "/" << t << "/" << f.name;
        if (shaped) numbers[{t, f.pass}].push_back(std::stoi(f.name.substr(t.size(), 5)));
    }
    for (auto& [key, list] : numbers) {
        std::sort(list.begin(), list.end());
        const auto general = numbers.find({key.first, kGeneral});
        const int first = key.second == kGeneral || general == numbers.end() ? 1 : static_cast<int>(general->second.size()) + 1;
        std::vector<int> wanted(list.size());
        for (std::size_t i = 0; i < wanted.size(); ++i) wanted[i] = first + static_cast<int>(i);
        EXPECT_EQ(list, wanted) << key.second << "/" << key.first;
    }
    const std::string line = "Recovered " + std::to_string(s.files.size()) + " files into " + s.search.string() + "\n";
    EXPECT_NE(s.run.output.find(line), std::string::npos) << s.run.output;

    // Nothing is saved twice.
    std::map<std::pair<std::uintmax_t, std::string>, std::string> seen;
    for (const auto& f : s.files) {
        const auto [it, fresh] = seen.emplace(std::make_pair(f.size, f.head), f.pass + "/" + f.type + "/" + f.name);
        EXPECT_TRUE(fresh) << f.pass << "/" << f.type << "/" << f.name << " repeats " << it->second;
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, EveryMode, ::testing::Values(Mode::Video, Mode::File, Mode::Audio),
                         [](const auto& param_info) { return std::string(option_of(param_info.param)); });

// Both passes from one read give all that the passes in turn gave, through the controller.
TEST_P(EveryMode, GivesFromOneReadWhatThePassesInTurnGave) {
    const Mode m = GetParam();
    SignatureList general, thorough;
    std::string general_file = thorough_file(m);
    general_file.erase(general_file.size() - 7, 3);  // BIRVideoAdv.sig: BIRVideo.sig
    load_signature_file((kResources / general_file).string(), general);
    load_signature_file((kResources / thorough_file(m)).string(), thorough);
    const std::int32_t mode = static_cast<std::int32_t>(m) + 1;
    const std::uint64_t sectors = fs::file_size(card().image) / kSector;
    const std::string in_turn = what_a_search_gave(card().image.string(), sectors, general, thorough, mode, true, true);
    EXPECT_NE(in_turn.find("<pass>THD</pass>"), std::string::npos);
    EXPECT_EQ(what_a_search_gave(card().image.string(), sectors, general, thorough, mode, true, false), in_turn);
}

// Every mode from one read gives all that each mode's search gives, run one
// after another into the same folder; the summary names each mode's folder.
// --types narrows each mode to the named types it has, and leaves out a mode with none.
TEST(EveryModeAtOnce, GivesWhatTheModesGiveOneAfterAnother) {
    TempFolder tmp;
    const auto salvex_scan = [&](const std::string& dest, const std::string& mode) {
        return run("XDG_DATA_HOME=" + quote(tmp / "data") + " " + quote((kBin / "salvex-scan").string()) + " --source " +
                   quote(card().image.string()) + " --dest " + quote(tmp / dest) + " --mode " + mode + " </dev/null");
    };
    // Each file's size and bytes, each folder, and the reports but for their time.
    const auto tree = [&](const std::string& dest) {
        std::map<std::string, std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(tmp / dest)) {
            std::string bytes = entry.is_regular_file() ? slurp(entry.path()) : "folder";
            if (const auto time = bytes.find("<start_time>"); entry.path().filename() == "report.xml")
                bytes.erase(time, bytes.find("</start_time>") - time);
            found[fs::relative(entry.path(), tmp / dest).string()] = std::move(bytes);
        }
        return found;
    };
    const Ran all = salvex_scan("all", "all");
    ASSERT_EQ(all.status, 0) << all.output;
    for (const char* mode : {"photo", "video", "file", "audio"}) ASSERT_EQ(salvex_scan("each", mode).status, 0) << mode;
    const auto each = tree("each");
    EXPECT_GT(each.size(), 40u);
    EXPECT_TRUE(tree("all") == each) << "the trees differ";
    for (const char* folder : {"Photo Search", "Video Search", "File Search", "Audio File Search"})
        EXPECT_NE(all.output.find(" into " + (fs::path(tmp / "all") / kResults / folder).string() + "\n"), std::string::npos)
            << all.output;

    ASSERT_EQ(salvex_scan("some", "all --types mp4,PDF").status, 0);
    for (const char* mode : {"photo", "video --types MP4", "file --types PDF"})
        ASSERT_EQ(salvex_scan("each-of-some", mode).status, 0) << mode;
    const auto some = tree("some");
    EXPECT_TRUE(some == tree("each-of-some")) << "the trees differ";
    EXPECT_FALSE(fs::exists(fs::path(tmp / "some") / kResults / "Audio File Search"));
    EXPECT_TRUE(std::any_of(some.begin(), some.end(), [](const auto& f) { return f.first.find("/MP4/") != std::string::npos; }));
    EXPECT_EQ(salvex_scan("none", "all --types NOSUCH").status, 2);
}

// ---- the type check list ----

struct Choice {
    std::string name;
    Mode mode;
    std::string options;
    std::string pass;  // where the chosen types' files go
    std::map<std::string, std::vector<std::string>> folders;  // type folder: the samples it gets whole
};

void PrintTo(const Choice& c, std::ostream* out) { *out << c.name; }

class TypeChoice : public ::testing::TestWithParam<Choice> {};

TEST_P(TypeChoice, SearchesForTheChosenTypesAlone) {
    const Choice& choice = GetParam();
    // Samples whose tools are missing are not on the card; a type with none left cannot be shown.
    std::map<std::string, std::vector<std::string>> folders;
    for (const auto& [type, names] : choice.folders) {
        for (const auto& name : names) {
            ASSERT_TRUE(made(name).failed.empty()) << name << " could not be made: " << made(name).failed;
            if (!made(name).bytes.empty()) folders[type].push_back(name);
        }
        if (!folders.contains(type)) GTEST_SKIP() << "nothing on the card for " << type << ": " << made(names[0]).skipped;
    }

    TempFolder tmp;
    const Scan s = scan(card().image, choice.mode, tmp, choice.options, card().hash);
    ASSERT_EQ(s.run.status, 0) << s.run.output;
    EXPECT_EQ(s.hash_after, s.hash_before) << "the scan changed its source";
    EXPECT_TRUE(s.strays.empty()) << s.strays.front();
    std::map<std::string, std::size_t> per_type;
    for (const auto& f : s.files) {
        EXPECT_EQ(f.pass, choice.pass) << f.type << "/" << f.name;
        ++per_type[f.type];
    }
    Folders wanted;
    for (const auto& [type, names] : folders) wanted.insert(type);
    EXPECT_EQ(keys(per_type), wanted);
    for (const auto& [type, names] : folders) {
        EXPECT_EQ(per_type[type], names.size()) << type;
        for (const auto& name : names)
            EXPECT_TRUE(whole_in(s, choice.pass, made(name).bytes).contains(type))
                << name << " in " << type << "; " << closest(s, choice.pass, type, made(name).bytes);
    }
    if (choice.options.find("--no-thorough") != std::string::npos) {
        EXPECT_FALSE(fs::exists(s.search / kThorough));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, TypeChoice,
    ::testing::Values(
        // The WebM candidate of the EBML group is left out with its type.
        Choice{"VideoMkvAndFlv", Mode::Video, "--types MKV,flv --no-thorough", kGeneral,
               {{"MKV", {"MKV", "WEBM"}}, {"FLV", {"FLV"}}}},
        Choice{"VideoThoroughOnlyType", Mode::Video, "--types TS", kThorough, {{"TS", {"TS"}}}},
        Choice{"FilePdfAndSqlite", Mode::File, "--types PDF,SQLITE --no-thorough", kGeneral,
               {{"PDF", {"PDF"}}, {"SQLITE", {"SQLITE"}}}},
        // The OLE2 group shrinks to the one type chosen, which every OLE2 file then gives.
        Choice{"FileXlsAlone", Mode::File, "--types XLS --no-thorough", kGeneral, {{"XLS", {"XLS", "DOC", "PPT"}}}},
        Choice{"AudioFlacAndMidi", Mode::Audio, "--types FLAC,MID --no-thorough", kGeneral,
               {{"FLAC", {"FLAC"}}, {"MID", {"MID"}}}}),
    [](const auto& param_info) { return param_info.param.name; });

// ---- a ZIP entry on a sector start ----

// Every ZIP entry repeats the local file header, so it is searched for only in the
// thorough pass: an EPUB whose second entry ends exactly on a sector boundary
// comes back whole from the general pass and in two pieces from the thorough one.
TEST(ZipEntryOnASectorStart, CutsTheBookOnlyInTheThoroughPass) {
    if (run("command -v zip").status != 0) GTEST_SKIP() << "zip is not installed (Debian package zip)";
    TempFolder tmp;
    const fs::path book = tmp / "book";
    fs::create_directories(book / "META-INF");
    fs::create_directories(book / "OEBPS");
    std::ofstream(book / "mimetype") << "application/epub+zip";
    // mimetype takes 30 + 8 + 20 bytes; this entry's 30 + 22 header and its data fill the rest of two sectors.
    std::string container =
        "<?xml version=\"1.0\"?>\n<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">"
        "<rootfiles><rootfile full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/>"
        "</rootfiles></container>\n";
    container.resize(1024 - 58 - 52, ' ');
    std::ofstream(book / "META-INF/container.xml") << container;
    std::ofstream(book / "OEBPS/content.opf")
        << "<?xml version=\"1.0\"?>\n<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"2.0\" unique-identifier=\"id\">"
           "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>Salvex</dc:title>"
           "<dc:identifier id=\"id\">salvex-test</dc:identifier><dc:language>en</dc:language></metadata>"
           "<manifest><item id=\"t\" href=\"text.xhtml\" media-type=\"application/xhtml+xml\"/></manifest>"
           "<spine><itemref idref=\"t\"/></spine></package>\n";
    std::ofstream text(book / "OEBPS/text.xhtml");
    text << "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>Salvex</title></head><body>";
    for (int i = 0; i < 300; ++i) text << "<p>Paragraph " << i << " of a book left on a memory card.</p>";
    text << "</body></html>\n";
    text.close();
    const std::string epub = (tmp / "book.epub");
    must("cd " + quote(book.string()) + " && zip -q -X -0 " + quote(epub) + " mimetype META-INF/container.xml && zip -q -X " +
         quote(epub) + " OEBPS/content.opf OEBPS/text.xhtml");
    const std::string bytes = slurp(epub);
    ASSERT_EQ(zip_first_entry(bytes), "mimetype");
    ASSERT_GT(bytes.size(), 3 * kSector);
    ASSERT_EQ(bytes.compare(2 * kSector, 4, "PK\x03\x04"), 0) << "the third entry should start on sector 2";

    const fs::path image = tmp / "card.img";
    must("mkfs.vfat -C -F 32 -s 1 -S 512 --invariant -n BOOK_CARD " + quote(image.string()) + " " +
         std::to_string(kCardMebibytes * 1024));
    must("mcopy -i " + quote(image.string()) + " " + quote(epub) + " ::/");
    const Scan s = scan(image, Mode::File, tmp, "--whole-sectors");
    ASSERT_EQ(s.run.status, 0) << s.run.output;
    EXPECT_EQ(s.hash_after, s.hash_before) << "the scan changed its source";

    EXPECT_EQ(keys(whole_in(s, kGeneral, bytes)), Folders{"EPUB"}) << closest(s, kGeneral, "EPUB", bytes);
    EXPECT_TRUE(whole_in(s, kThorough, bytes).empty());
    // Each format of the ZIP group gets the first two sectors plus the one that cut them, then the rest.
    const std::string first_piece = bytes.substr(0, 3 * kSector), second_piece = bytes.substr(2 * kSector);
    for (const auto& type : kZipGroup) {
        SCOPED_TRACE(type);
        std::size_t firsts = 0, seconds = 0;
        for (const auto& f : s.files) {
            if (f.pass != kThorough || f.type != type) continue;
            if (f.size == first_piece.size() && begins_with(f.head, f.size, first_piece)) ++firsts;
            if (begins_with(f.head, f.size, second_piece)) ++seconds;
        }
        EXPECT_EQ(firsts, 1u) << closest(s, kThorough, type, bytes);
        EXPECT_EQ(seconds, 1u);
    }
}

// The engine groups a later record with the matched one by comparing header texts.
// That must agree with the bytes: the matched sector holds the later header exactly
// where that record looks for it, and a group never names one type twice.
TEST(SignatureData, GroupsJoinExactlyTheRecordsTheMatchedSectorAlsoHolds) {
    for (const char* file : {"BIRVideo.sig", "BIRVideoAdv.sig", "BIRRaw.sig", "BIRRawAdv.sig", "BIRAudio.sig", "BIRAudioAdv.sig"}) {
        const auto records = headers_of(file);
        ASSERT_FALSE(records.empty()) << file;
        for (std::size_t m = 0; m < records.size(); ++m) {
            const Header& a = records[m];
            Folders group = {a.extension};
            for (std::size_t r = m + 1; r < records.size(); ++r) {
                const Header& b = records[r];
                const bool by_text = a.hex.find(b.hex) != std::string::npos ||
                                     (b.hex.find(a.hex) != std::string::npos && a.offset == b.offset);
                bool by_bytes = a.offset == b.offset && a.bytes == b.bytes;
                if (a.offset != "nn" && b.offset != "nn") {
                    const long at = std::stol(b.offset) - std::stol(a.offset);
                    by_bytes = at >= 0 && static_cast<std::size_t>(at) + b.bytes.size() <= a.bytes.size() &&
                               a.bytes.compare(static_cast<std::size_t>(at), b.bytes.size(), b.bytes) == 0;
                }
                EXPECT_EQ(by_text, by_bytes) << file << ": " << a.extension << " " << a.hex << " at " << a.offset << " and "
                                             << b.extension << " " << b.hex << " at " << b.offset;
                if (by_text) {
                    EXPECT_TRUE(group.insert(b.extension).second)
                        << file << ": two " << b.extension << " files in the " << a.extension << " group";
                }
            }
        }
    }
}

// A general-pass header at a sector start inside a file ends that file there.
// None may occur inside any file the encoders made, whatever its mode.
TEST(SignatureData, GeneralHeadersNeverStartASectorInsideTheMadeFiles) {
    std::size_t sectors = 0, files = 0;
    std::vector<std::string> cuts;
    for (const char* file : {"BIRVideo.sig", "BIRRaw.sig", "BIRAudio.sig"}) {
        for (const auto& h : headers_of(file)) {
            ASSERT_NE(h.offset, "nn") << file << " " << h.extension;
            const std::size_t at = std::stoul(h.offset) - 1;
            for (const auto& m : made_samples())
                for (std::size_t s = kSector; s + kSector <= m.bytes.size(); s += kSector)
                    if (m.bytes.compare(s + at, h.bytes.size(), h.bytes) == 0)
                        cuts.push_back(h.extension + " " + h.hex + " (" + file + ") at sector " + std::to_string(s / kSector) +
                                       " of " + m.sample->file);
        }
    }
    for (const auto& m : made_samples()) {
        sectors += m.bytes.size() / kSector;
        files += m.bytes.empty() ? 0 : 1;
    }
    ASSERT_GT(files, 0u) << "no file could be made";
    EXPECT_TRUE(cuts.empty()) << cuts.size() << " cuts in " << sectors << " sectors of " << files << " files, the first: "
                              << cuts.front();
}

}  // namespace
