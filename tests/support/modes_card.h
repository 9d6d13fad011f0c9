#pragma once
// The test card of the video, file and audio modes: files made here by real
// encoders (ffmpeg, sox, ghostscript, pandoc, gnumeric, zip, 7z, gzip, sqlite3)
// and LibreOffice's files from data/office, copied onto a FAT32 image, every other one deleted, then the card quick-formatted.
// Made once into a folder of the build tree, under a lock, and again only when
// the recipes change; every test program that uses it shares that folder.
#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace salvex::test::modes {

enum class Mode { Video, File, Audio };

inline const char* option_of(Mode m) { return m == Mode::Video ? "video" : m == Mode::File ? "file" : "audio"; }
inline const char* folder_of(Mode m) { return m == Mode::Video ? "Video Search" : m == Mode::File ? "File Search" : "Audio File Search"; }

using Folders = std::set<std::string>;
inline const Folders kZipGroup = {"DOCX", "EPUB", "ODT", "PPTX", "XLSX", "ZIP"};
inline const Folders kOfficeGroup = {"DOCX", "PPTX", "XLSX"};

struct Sample {
    std::string name;     // the test case
    Mode mode;
    std::string file;     // its name on the card
    std::string probe;    // succeeds when the tools that make it are here
    std::string missing;  // why the case is skipped when they are not
    std::string recipe;   // writes {out}; {in} holds text.md and table.csv
    Folders general;      // type folders of the general pass where it comes back whole
    Folders thorough;     // the same for the thorough pass, checked when general is empty
    // A ZIP-family file whose first entry, chosen by its writer, picks the group.
    bool first_entry_decides = false;
};

inline void PrintTo(const Sample& s, std::ostream* out) { *out << s.name; }

constexpr int kCardMebibytes = 34;  // about the least FAT32 allows with one sector a cluster

const std::vector<Sample>& all_samples();

// Makes the samples and the card into the folder unless they are there already; the folder.
const std::filesystem::path& modes_media(const std::filesystem::path& folder);

struct Card {
    std::filesystem::path image;
    std::set<std::string> listed;  // names its root folder lists after the quick format
    std::string hash;              // when it was made
};

const Card& modes_card(const std::filesystem::path& media_folder);

}  // namespace salvex::test::modes
