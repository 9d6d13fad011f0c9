// salvex-scan end to end: FAT32 cards made with the same tools a camera card
// would meet (mkfs.vfat, mtools) holding photos from real encoders, recovered by
// the built binary exactly as a user runs it.
//
// What each scan should write is worked out from the card itself: every sector
// start is tested against the bundle's signature records, and each match starts
// a file that runs to its type's maximum size, the next match (that sector
// included) or the end of the range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>

#include "signatures/signature_loader.h"
#include "support/scan_harness.h"
#include "support/shell.h"
#include "support/temp_folder.h"

using salvex::SignatureList;
using salvex::load_signature_file;

namespace {

namespace fs = std::filesystem;
using salvex::test::TempFolder;
using namespace salvex::test;

constexpr std::size_t kSector = 512;
const fs::path kBin = SALVEX_BIN_DIR;
const fs::path kSampleDir = SALVEX_SAMPLE_DIR;
const fs::path kSampleScript = SALVEX_SAMPLE_SCRIPT;
const fs::path kResources = kBin / "Salvex Birch Recovery.app/Contents/Resources";
const std::string kSearch = "Salvex Birch Recovery Results/Photo Search";
const std::string kGeneral = "General Recovery Results";
const std::string kThorough = "Omitted (recovered by Thorough Scan)";

// ---- the photos the sample-card script made ----

struct Photo {
    std::string name;
    std::string bytes;
    bool deleted = false;  // deleted before the format
};

struct SamplePhotos {
    std::vector<Photo> before, after;
};

// The photos from before and after the format, by name; deleted.txt names those deleted before it.
SamplePhotos sample_photos(const fs::path& folder) {
    std::set<std::string> deleted;
    std::ifstream list(folder / "deleted.txt");
    for (std::string line; std::getline(list, line);)
        if (!line.empty()) deleted.insert(line);
    const auto load = [&](const fs::path& sub) {
        std::vector<Photo> photos;
        for (const auto& entry : fs::directory_iterator(sub)) {
            const std::string name = entry.path().filename().string();
            photos.push_back({name, slurp(entry.path()), deleted.contains(name)});
        }
        std::sort(photos.begin(), photos.end(), [](const Photo& x, const Photo& y) { return x.name < y.name; });
        return photos;
    };
    return {load(folder / "before-format"), load(folder / "after-format")};
}

// Sectors at which the whole photo lies, byte for byte, on the card.
std::vector<std::size_t> places(const std::string& card, const std::string& photo) {
    std::vector<std::size_t> at;
    // The first sector sorts out nearly every place cheaply, also where sanitisers
    // check a comparison's whole span before making it.
    const std::string_view head = std::string_view(photo).substr(0, kSector);
    for (std::size_t offset = 0; offset + photo.size() <= card.size(); offset += kSector)
        if (std::string_view(card).substr(offset, head.size()) == head && card.compare(offset, photo.size(), photo) == 0)
            at.push_back(offset / kSector);
    return at;
}

// ---- cards ----

// A FAT32 card image, worked on with mtools as a card reader would.
class Card {
public:
    explicit Card(fs::path path) : path_(std::move(path)) {}
    // One sector per cluster, so every file starts on a sector.
    static Card make(fs::path path, int mebibytes) {
        must("mkfs.vfat -C -F 32 -s 1 -S 512 --invariant -n TEST_CARD " + quote(path.string()) + " " +
             std::to_string(mebibytes * 1024));
        return Card(std::move(path));
    }
    void copy(const std::vector<Photo>& photos, const TempFolder& scratch) const {
        std::string files;
        for (const auto& p : photos) files += " " + quote(scratch.write("copy/" + p.name, p.bytes));
        must("mcopy -i " + quote(path_.string()) + files + " ::/");
    }
    void remove(const std::string& name) const { must("mdel -i " + quote(path_.string()) + " ::/" + name); }
    // The names of the files the card's folders list.
    std::set<std::string> listed() const {
        std::set<std::string> names;
        // mdir -/ fails on an empty root folder, which mdir alone shows as no lines.
        if (must("mdir -b -i " + quote(path_.string()) + " ::/").empty()) return names;
        const std::string out = must("mdir -/ -b -i " + quote(path_.string()) + " ::/");
        std::size_t start = 0;
        while (start < out.size()) {
            const std::size_t end = std::min(out.find('\n', start), out.size());
            const std::string line = out.substr(start, end - start);
            if (!line.empty() && line.back() != '/') names.insert(line.substr(line.rfind('/') + 1));
            start = end + 1;
        }
        return names;
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// ---- what a scan should write ----

struct Record {
    std::string extension;
    std::uint64_t max_size = 0;
    std::string header;
    std::size_t at = 0;
};

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Six "key : value" lines a record; a line with no colon is a comment.
std::vector<Record> load_records(const fs::path& file) {
    std::vector<Record> records;
    std::vector<std::string> fields;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        fields.push_back(trimmed(line.substr(colon + 1)));
        if (fields.size() < 6) continue;
        Record r;
        for (char c : fields[0].substr(fields[0].find('.') + 1)) r.extension += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        r.max_size = std::stoull(fields[1]);
        for (std::size_t k = 0; k + 1 < fields[2].size(); k += 2)
            r.header += static_cast<char>(std::stoi(fields[2].substr(k, 2), nullptr, 16));
        if (fields[3] == "nn") throw std::runtime_error("records searched anywhere in a sector are not modelled here");
        r.at = std::stoul(fields[3]) - 1;
        records.push_back(std::move(r));
        fields.clear();
    }
    return records;
}

struct Carved {
    std::string path;  // under the pass folder: "JPG/GND00001.JPG"
    std::size_t first = 0, last = 0;  // sectors, both in the file
};

std::vector<Carved> expected_pass(const std::string& card, const std::vector<Record>& records, const std::string& prefix,
                                  std::size_t begin, std::size_t end) {
    struct Start {
        std::size_t sector;
        const Record* record;
    };
    std::vector<Start> starts;
    for (std::size_t s = begin; s < end; ++s) {
        const std::string_view sector(card.data() + s * kSector, kSector);
        for (const auto& r : records) {
            if (r.at > 506 || r.at + r.header.size() > kSector) continue;  // can never match
            if (sector[r.at] == r.header[0] && sector.substr(r.at, r.header.size()) == r.header) {
                starts.push_back({s, &r});
                break;
            }
        }
    }
    std::vector<Carved> files;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const std::size_t s = starts[k].sector;
        std::size_t last = s + (starts[k].record->max_size + kSector - 1) / kSector - 1;
        if (k + 1 < starts.size()) last = std::min(last, starts[k + 1].sector);
        last = std::min(last, end - 1);
        char name[32];
        std::snprintf(name, sizeof name, "%s%05zu", prefix.c_str(), k + 1);
        const std::string& ext = starts[k].record->extension;
        files.push_back({ext + "/" + name + "." + ext, s, last});
    }
    return files;
}

// Every file under the folder, by its path below it.
std::map<std::string, std::string> tree(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files[fs::relative(entry.path(), folder).string()] = slurp(entry.path());
    return files;
}

// The pass folder holds exactly the expected files, each the card's sectors it should hold.
void expect_pass(const fs::path& folder, const std::vector<Carved>& expected, const std::string& card) {
    const auto found = tree(folder);
    std::set<std::string> expected_names, found_names;
    for (const auto& c : expected) expected_names.insert(c.path);
    for (const auto& [name, bytes] : found) found_names.insert(name);
    EXPECT_EQ(found_names, expected_names) << "in " << folder;
    for (const auto& c : expected) {
        const auto it = found.find(c.path);
        if (it == found.end()) continue;
        const std::size_t size = (c.last - c.first + 1) * kSector;
        EXPECT_EQ(it->second.size(), size) << c.path;
        EXPECT_TRUE(it->second == card.substr(c.first * kSector, size)) << c.path << " is not sectors " << c.first
                                                                      << " to " << c.last << " of the card";
    }
}

// Each photo lying whole on the card is the start of exactly one file of the pass, the one
// whose first sector is the photo's.
void expect_photos_recovered(const std::vector<Photo>& photos, const std::string& card, const fs::path& pass,
                             const std::vector<Carved>& expected) {
    const auto found = tree(pass);
    for (const auto& photo : photos) {
        const auto at = places(card, photo.bytes);
        ASSERT_EQ(at.size(), 1u) << photo.name << " should lie whole on the card once";
        std::vector<std::string> holders;
        for (const auto& [name, bytes] : found)
            if (bytes.starts_with(photo.bytes)) holders.push_back(name);
        ASSERT_EQ(holders.size(), 1u) << photo.name << " should begin exactly one recovered file";
        const auto carved = std::find_if(expected.begin(), expected.end(), [&](const Carved& c) { return c.first == at[0]; });
        ASSERT_NE(carved, expected.end());
        EXPECT_EQ(holders[0], carved->path) << photo.name;
    }
}

// ---- running salvex-scan ----

struct Scan {
    Ran run;
    fs::path search;  // <dest>/Salvex Birch Recovery Results/Photo Search
};

// Runs a scan and checks what every scan must keep: the source untouched.
Scan scan(const fs::path& image, const fs::path& dest, const TempFolder& home, const std::string& options = "") {
    const std::string before = sha256(image);
    Scan s;
    s.run = run("XDG_DATA_HOME=" + quote(home / "data") + " " + quote((kBin / "salvex-scan").string()) + " --source " +
                quote(image.string()) + " --dest " + quote(dest.string()) + " " + options + " </dev/null");
    EXPECT_EQ(sha256(image), before) << "the scan changed its source";
    s.search = dest / kSearch;
    return s;
}

std::string recovered_line(std::size_t n, const fs::path& search) {
    return "Recovered " + std::to_string(n) + " file" + (n == 1 ? "" : "s") + " into " + search.string() + "\n";
}

std::vector<Record> general_records() { return load_records(kResources / "BIRPhoto.sig"); }
std::vector<Record> thorough_records() { return load_records(kResources / "BIRPhotoAdv.sig"); }

// A 40 MiB card holding the sample photos in reverse name order (another layout
// than the sample card's), with those the script deleted deleted here too.
Card card_with_deletions(const TempFolder& tmp, const std::vector<Photo>& photos) {
    Card card = Card::make(tmp / "card.img", 40);
    card.copy(std::vector<Photo>(photos.rbegin(), photos.rend()), tmp);
    for (const auto& p : photos)
        if (p.deleted) card.remove(p.name);
    return card;
}

std::vector<Photo> deleted_only(const std::vector<Photo>& photos) {
    std::vector<Photo> out;
    std::copy_if(photos.begin(), photos.end(), std::back_inserter(out), [](const Photo& p) { return p.deleted; });
    return out;
}

// ---- the tests ----

TEST(SampleCardScript, MakesTheBuiltCardAgainByteForByte) {
    TempFolder tmp;
    const Ran made = run("bash " + quote(kSampleScript.string()) + " --photos " + quote(tmp / "photos") +
                         " --unformatted " + quote(tmp / "unformatted.img") + " " + quote(tmp / "card.img"));
    ASSERT_EQ(made.status, 0) << made.output;
    EXPECT_EQ(sha256(tmp / "card.img"), sha256(kSampleDir / "sample-card.img"));
    EXPECT_TRUE(tree(tmp / "photos") == tree(kSampleDir / "photos")) << "the photos differ from the build's";

    const std::string card = slurp(tmp / "card.img");
    EXPECT_GE(card.size(), 64u << 20);
    EXPECT_LE(card.size(), 100u << 20);
    EXPECT_EQ(card.substr(82, 8), "FAT32   ");
    for (const char* image : {"card.img", "unformatted.img"}) EXPECT_EQ(run(kTools + "fsck.vfat -n " + quote(tmp / image)).status, 0) << image;

    // Every opening the general records tell apart, each from a real encoder.
    const auto photos = sample_photos(tmp / "photos");
    std::set<std::string> openings;
    for (const auto* group : {&photos.before, &photos.after})
        for (const auto& p : *group) {
            const std::string& b = p.bytes;
            if (b.starts_with("RIFF")) openings.insert(b.substr(8, 8));
            else if (b.starts_with("BM")) openings.insert("BM " + std::to_string(static_cast<unsigned char>(b[10]) + 256 * static_cast<unsigned char>(b[11])));
            else if (b.starts_with("\xFF\xD8\xFF")) openings.insert("JPEG " + std::to_string(static_cast<unsigned char>(b[3])));
            else if (b.starts_with("GIF")) openings.insert(b.substr(0, 6));
            else openings.insert(b.substr(0, 4));
        }
    const std::set<std::string> wanted = {"WEBPVP8 ", "WEBPVP8L", "BM 54", "BM 138", "BM 1078", "JPEG 224", "JPEG 225",
                                          "JPEG 219", "\x89PNG", "GIF87a", "GIF89a", "II*" + std::string(1, '\0'),
                                          "MM" + std::string(1, '\0') + "*"};
    EXPECT_EQ(openings, wanted);

    // Deleted files are gone from the folders before the format; after it only the new photos are listed.
    std::set<std::string> kept, added;
    for (const auto& p : photos.before)
        if (!p.deleted) kept.insert(p.name);
    for (const auto& p : photos.after) added.insert(p.name);
    EXPECT_FALSE(deleted_only(photos.before).empty());
    EXPECT_EQ(Card(tmp / "unformatted.img").listed(), kept);
    EXPECT_EQ(Card(tmp / "card.img").listed(), added);
}

TEST(SampleCard, GivesBackThePhotosFromBeforeTheQuickFormat) {
    TempFolder tmp;
    const fs::path image = kSampleDir / "sample-card.img";
    const auto photos = sample_photos(kSampleDir / "photos");
    const Scan s = scan(image, tmp / "out", tmp, "--whole-sectors");
    ASSERT_EQ(s.run.status, 0) << s.run.output;

    const std::string card = slurp(image);
    const auto general = expected_pass(card, general_records(), "GND", 0, card.size() / kSector);
    const auto thorough = expected_pass(card, thorough_records(), "THD", 0, card.size() / kSector);
    expect_pass(s.search / kGeneral, general, card);
    expect_pass(s.search / kThorough, thorough, card);
    EXPECT_NE(s.run.output.find(recovered_line(general.size() + thorough.size(), s.search)), std::string::npos) << s.run.output;

    // The new photos overwrote the start of the old data; whatever lies whole on the card comes back,
    // deleted before the format or not.
    std::vector<Photo> survivors;
    for (const auto& p : photos.before)
        if (!places(card, p.bytes).empty()) survivors.push_back(p);
    EXPECT_FALSE(deleted_only(survivors).empty());
    EXPECT_GT(survivors.size(), photos.before.size() / 2);
    expect_photos_recovered(survivors, card, s.search / kGeneral, general);
    expect_photos_recovered(photos.after, card, s.search / kGeneral, general);
}

// As a user gets them: each photo lying whole on the card back byte for byte,
// once, and the report listing every file kept where it came from.
TEST(SampleCard, GivesEachPhotoBackOnceAtItsOwnLengthWithAReport) {
    TempFolder tmp;
    const fs::path image = kSampleDir / "sample-card.img";
    const auto photos = sample_photos(kSampleDir / "photos");
    const Scan s = scan(image, tmp / "out", tmp);
    ASSERT_EQ(s.run.status, 0) << s.run.output;
    const std::string card = slurp(image);

    auto found = tree(s.search);
    ASSERT_TRUE(found.contains("report.xml"));
    const std::string report = found["report.xml"];
    found.erase("report.xml");
    std::map<std::string, std::string> by_content;
    for (const auto& [name, bytes] : found) {
        const auto [it, fresh] = by_content.emplace(bytes, name);
        EXPECT_TRUE(fresh) << name << " holds the same bytes as " << it->second;
        // The report names each file with its size and the card offset its bytes come from.
        const std::string entry = "<filename>" + name + "</filename>\n    <filesize>" + std::to_string(bytes.size());
        const auto at = report.find(entry);
        ASSERT_NE(at, std::string::npos) << name << " is not in the report";
        const auto offset = report.find("img_offset=\"", at) + 12;
        EXPECT_EQ(card.compare(std::stoull(report.substr(offset)), bytes.size(), bytes), 0) << name;
    }
    EXPECT_TRUE(report.ends_with("</dfxml>\n"));
    std::size_t whole = 0;
    for (const auto* group : {&photos.before, &photos.after})
        for (const auto& p : *group) {
            if (places(card, p.bytes).empty()) continue;
            ++whole;
            EXPECT_TRUE(by_content.contains(p.bytes)) << p.name << " should come back byte for byte";
        }
    EXPECT_GT(whole, photos.before.size() / 2);
    EXPECT_NE(s.run.output.find("Scan report: " + (s.search / "report.xml").string()), std::string::npos) << s.run.output;
}

TEST(DeletedPhotos, EachComesBackInDiskOrderWithOrWithoutTheThoroughPass) {
    TempFolder tmp;
    const auto photos = sample_photos(kSampleDir / "photos").before;
    const Card card = card_with_deletions(tmp, photos);
    const auto listed = card.listed();
    for (const auto& p : photos) EXPECT_EQ(listed.contains(p.name), !p.deleted) << p.name;

    const Scan s = scan(card.path(), tmp / "out", tmp, "--whole-sectors");
    ASSERT_EQ(s.run.status, 0) << s.run.output;
    const std::string bytes = slurp(card.path());
    const std::size_t sectors = bytes.size() / kSector;
    const auto general = expected_pass(bytes, general_records(), "GND", 0, sectors);
    const auto thorough = expected_pass(bytes, thorough_records(), "THD", 0, sectors);
    ASSERT_GE(general.size(), photos.size());
    EXPECT_FALSE(thorough.empty());
    EXPECT_EQ(tree(tmp / "out").size(), general.size() + thorough.size() + 1) << "files outside the two pass folders and the report";
    expect_pass(s.search / kGeneral, general, bytes);
    expect_pass(s.search / kThorough, thorough, bytes);
    expect_photos_recovered(deleted_only(photos), bytes, s.search / kGeneral, general);
    expect_photos_recovered(photos, bytes, s.search / kGeneral, general);
    EXPECT_NE(s.run.output.find(recovered_line(general.size() + thorough.size(), s.search)), std::string::npos) << s.run.output;

    // Without the thorough pass: the same general files, and no folder for the omitted ones.
    const Scan plain = scan(card.path(), tmp / "plain", tmp, "--no-thorough --whole-sectors");
    ASSERT_EQ(plain.run.status, 0) << plain.run.output;
    expect_pass(plain.search / kGeneral, general, bytes);
    EXPECT_FALSE(fs::exists(plain.search / kThorough));
    EXPECT_EQ(plain.run.output.find(kThorough), std::string::npos) << plain.run.output;
    EXPECT_NE(plain.run.output.find(recovered_line(general.size(), plain.search)), std::string::npos) << plain.run.output;
}

// Both passes from one read give all that the passes in turn gave, through the controller.
TEST(DeletedPhotos, ComeFromOneReadAsFromThePassesInTurn) {
    TempFolder tmp;
    const Card card = card_with_deletions(tmp, sample_photos(kSampleDir / "photos").before);
    SignatureList general, thorough;
    load_signature_file((kResources / "BIRPhoto.sig").string(), general);
    load_signature_file((kResources / "BIRPhotoAdv.sig").string(), thorough);
    const std::uint64_t sectors = fs::file_size(card.path()) / kSector;
    for (const bool exact : {true, false}) {
        const std::string in_turn = what_a_search_gave(card.path().string(), sectors, general, thorough, 0, exact, true);
        EXPECT_TRUE(exact || in_turn.find("<pass>THD</pass>") != std::string::npos);
        EXPECT_EQ(what_a_search_gave(card.path().string(), sectors, general, thorough, 0, exact, false), in_turn) << exact;
    }
}

TEST(SectorRange, RecoversOnlyWhatStartsInsideIt) {
    TempFolder tmp;
    const auto photos = sample_photos(kSampleDir / "photos").before;
    const Card card = card_with_deletions(tmp, photos);
    const std::string bytes = slurp(card.path());
    const auto whole = expected_pass(bytes, general_records(), "GND", 0, bytes.size() / kSector);
    ASSERT_GE(whole.size(), 5u);
    // From inside the second file to just past the fifth one's first sector.
    const std::size_t begin = whole[1].first + 1, end = whole[4].first + 1;

    const Scan s = scan(card.path(), tmp / "out", tmp,
                        "--whole-sectors --range " + std::to_string(begin) + ":" + std::to_string(end));
    ASSERT_EQ(s.run.status, 0) << s.run.output;
    const auto general = expected_pass(bytes, general_records(), "GND", begin, end);
    const auto thorough = expected_pass(bytes, thorough_records(), "THD", begin, end);
    expect_pass(s.search / kGeneral, general, bytes);
    expect_pass(s.search / kThorough, thorough, bytes);
    ASSERT_EQ(general.size(), 3u);
    EXPECT_EQ(general.back().last, general.back().first) << "the range ends one sector into the last file";

    // The photos starting inside come back whole but the last; the others not at all.
    const auto found = tree(s.search / kGeneral);
    for (const auto& p : photos) {
        const auto at = places(bytes, p.bytes);
        ASSERT_EQ(at.size(), 1u) << p.name;
        const std::size_t last = at[0] + (p.bytes.size() - 1) / kSector;
        std::size_t holders = 0;
        for (const auto& [name, data] : found) holders += data.starts_with(p.bytes) ? 1 : 0;
        EXPECT_EQ(holders, at[0] >= begin && last < end ? 1u : 0u) << p.name;
    }
}

TEST(ExitStatus, BadUsageIsTwoAndNothingIsWritten) {
    TempFolder tmp;
    const Card card = Card::make(tmp / "card.img", 40);
    const std::string sectors = std::to_string(fs::file_size(card.path()) / kSector);
    const auto bad = [&](const std::string& options, const std::string& message) {
        const Scan s = scan(card.path(), tmp / "out", tmp, options);
        EXPECT_EQ(s.run.status, 2) << options << ": " << s.run.output;
        EXPECT_NE(s.run.output.find(message), std::string::npos) << options << ": " << s.run.output;
        EXPECT_FALSE(fs::exists(tmp / "out")) << options;
    };
    bad("--range 5:2", "--range must end after it starts");
    bad("--range 5", "--range wants two sector numbers");
    bad("--frobnicate", "unknown option \"--frobnicate\"");
    bad("--mode sound", "unknown mode \"sound\"");
    bad("--edition", "--edition needs a value");
    bad("--force=no", "--force takes no value");  // a switch is on by being there
    bad("--no-thorough=1", "--no-thorough takes no value");
    bad("--range 0:" + std::to_string(std::stoull(sectors) + 1), "goes past the end of " + card.path().string() +
        ", which has " + sectors + " sectors");
}

TEST(ExitStatus, EndOfCardIsZeroAndAMissingOrFolderSourceIsOne) {
    TempFolder tmp;
    const Card card = Card::make(tmp / "card.img", 40);
    const std::string sectors = std::to_string(fs::file_size(card.path()) / kSector);
    const Scan whole = scan(card.path(), tmp / "empty", tmp, "--range 0:" + sectors);
    EXPECT_EQ(whole.run.status, 0) << whole.run.output;
    EXPECT_NE(whole.run.output.find(recovered_line(0, whole.search)), std::string::npos) << whole.run.output;

    const auto source = [&](const fs::path& path) {
        return run("XDG_DATA_HOME=" + quote(tmp / "data") + " " + quote((kBin / "salvex-scan").string()) + " --source " +
                   quote(path.string()) + " --dest " + quote(tmp / "out") + " </dev/null");
    };
    const Ran missing = source(tmp / "no-such-card.img");
    EXPECT_EQ(missing.status, 1) << missing.output;
    EXPECT_NE(missing.output.find("there is no device or disk image called " + (tmp / "no-such-card.img")),
              std::string::npos) << missing.output;
    const Ran folder = source(tmp / "empty");
    EXPECT_EQ(folder.status, 1) << folder.output;
    EXPECT_NE(folder.output.find((tmp / "empty") + " is a folder"), std::string::npos) << folder.output;
    EXPECT_FALSE(fs::exists(tmp / "out"));
}

}  // namespace
