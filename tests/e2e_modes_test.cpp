// salvex-scan end to end in the video, file and audio modes: one FAT32 card
// holding files made here by real encoders (ffmpeg, sox, ghostscript, pandoc,
// gnumeric, zip, 7z, gzip, sqlite3), some deleted, searched in each mode by the
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
#include "support/shell.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using salvex::test::TempFolder;
using namespace salvex::test;

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



std::string replace_all(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
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

// ---- the files ----

enum class Mode { Video, File, Audio };

const char* option_of(Mode m) { return m == Mode::Video ? "video" : m == Mode::File ? "file" : "audio"; }
const char* folder_of(Mode m) { return m == Mode::Video ? "Video Search" : m == Mode::File ? "File Search" : "Audio File Search"; }

using Folders = std::set<std::string>;
const Folders kZipGroup = {"DOCX", "EPUB", "ODT", "PPTX", "XLSX", "ZIP"};
const Folders kOfficeGroup = {"DOCX", "PPTX", "XLSX"};

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

void PrintTo(const Sample& s, std::ostream* out) { *out << s.name; }

const std::string kFfmpeg = "ffmpeg -hide_banner -loglevel error -nostdin -y -bitexact ";
const std::string kPicture = "-f lavfi -i testsrc=duration=1:size=320x240:rate=25 ";
const std::string kSound = "-f lavfi -i sine=frequency=440:duration=1 ";
const std::string kTone = "-f lavfi -i sine=frequency=440:duration=2 ";

std::string ffmpeg_with(const std::vector<std::string>& encoders) {
    std::string probe = "command -v ffmpeg >/dev/null";
    for (const auto& e : encoders) probe += " && ffmpeg -hide_banner -encoders 2>/dev/null | grep -q ' " + e + " '";
    return probe;
}

std::string ffmpeg_missing(const std::vector<std::string>& encoders) {
    std::string list;
    for (const auto& e : encoders) list += (list.empty() ? "" : ", ") + e;
    return "ffmpeg with the " + list + " encoders is not installed (Debian package ffmpeg)";
}

Sample video(const std::string& name, const std::string& file, const std::vector<std::string>& encoders,
             const std::string& options, Folders general, Folders thorough = {}) {
    return {name, Mode::Video, file, ffmpeg_with(encoders), ffmpeg_missing(encoders),
            kFfmpeg + kPicture + options + " {out}", std::move(general), std::move(thorough)};
}

Sample audio(const std::string& name, const std::string& file, const std::vector<std::string>& encoders,
             const std::string& options, Folders general, Folders thorough = {}) {
    return {name, Mode::Audio, file, ffmpeg_with(encoders), ffmpeg_missing(encoders), kFfmpeg + kTone + options + " {out}",
            std::move(general), std::move(thorough)};
}

Sample document(const std::string& name, const std::string& file, const std::string& tool, const std::string& package,
                const std::string& recipe, Folders general, Folders thorough = {}) {
    return {name, Mode::File, file, "command -v " + tool + " >/dev/null",
            tool + " is not installed (Debian package " + package + ")", recipe, std::move(general), std::move(thorough)};
}

// Only LibreOffice writes these on Debian; the suite does not install it.
Sample office(const std::string& name, const std::string& file, Folders general, const std::string& to,
              const std::string& pandoc_output, const std::string& why_it_may_be_skipped) {
    const std::string scratch = "{in}/" + to;
    return {name, Mode::File, file, "command -v soffice >/dev/null && command -v pandoc >/dev/null",
            "LibreOffice (soffice) is not installed: " + why_it_may_be_skipped,
            "pandoc -s {in}/text.md -o " + scratch + "." + pandoc_output + " && soffice --headless -env:UserInstallation=file://" +
                scratch + "-profile --convert-to " + to + " --outdir " + scratch + "-out " + scratch + "." + pandoc_output +
                " >/dev/null && mv " + scratch + "-out/" + to + "." + to + " {out}",
            std::move(general), {}};
}

std::vector<Sample> samples() {
    std::vector<Sample> s;
    const std::string x264 = "-c:v libx264 -preset ultrafast";
    s.push_back(video("MP4", "clip.mp4", {"libx264", "aac"}, kSound + x264 + " -c:a aac", {"MP4"}));
    s.push_back(video("MOV", "clip.mov", {"libx264", "aac"}, kSound + x264 + " -c:a aac", {"MOV"}));
    s.push_back(video("M4V", "clip.m4v", {"libx264", "aac"}, kSound + x264 + " -c:a aac", {"M4V"}));
    const std::string phone_sound = "-f lavfi -i sine=frequency=440:duration=1:sample_rate=8000 ";
    s.push_back(video("3GP", "clip.3gp", {"mpeg4", "aac"}, phone_sound + "-c:v mpeg4 -c:a aac -ac 1", {"3GP"}));
    s.push_back(video("3G2", "clip.3g2", {"mpeg4", "aac"}, phone_sound + "-c:v mpeg4 -c:a aac -ac 1", {"3G2"}));
    s.push_back(video("AVI", "clip.avi", {"mpeg4", "libmp3lame"}, kSound + "-c:v mpeg4 -c:a libmp3lame", {"AVI"}));
    // Matroska and WebM share the EBML magic, so each gives a candidate of both.
    s.push_back(video("MKV", "clip.mkv", {"libx264", "flac"}, kSound + x264 + " -c:a flac", {"MKV", "WEBM"}));
    s.push_back(video("WEBM", "clip.webm", {"libvpx", "libvorbis"},
                      kSound + "-c:v libvpx -deadline realtime -cpu-used 8 -c:a libvorbis", {"MKV", "WEBM"}));
    s.push_back(video("MPG", "clip.mpg", {"mpeg1video", "mp2"}, kSound + "-c:v mpeg1video -c:a mp2", {"MPG"}));
    // Transport streams have no file header: only the thorough pass looks for their first tables.
    s.push_back(video("TS", "clip.ts", {"mpeg2video", "mp2"}, kSound + "-c:v mpeg2video -c:a mp2", {}, {"TS"}));
    s.push_back(video("MTS", "clip.mts", {"mpeg2video", "mp2"},
                      kSound + "-c:v mpeg2video -c:a mp2 -f mpegts -mpegts_m2ts_mode 1", {}, {"MTS"}));
    s.push_back(video("WMV", "clip.wmv", {"wmv2", "wmav2"}, kSound + "-c:v wmv2 -c:a wmav2", {"WMV", "ASF"}));
    s.push_back(video("ASF", "clip.asf", {"msmpeg4", "wmav2"}, kSound + "-c:v msmpeg4 -c:a wmav2", {"WMV", "ASF"}));
    s.push_back(video("FLV", "clip.flv", {"flv", "libmp3lame"}, kSound + "-c:v flv -c:a libmp3lame -ar 44100", {"FLV"}));
    s.push_back(video("MXF", "clip.mxf", {"mpeg2video"}, "-c:v mpeg2video -f mxf", {"MXF"}));

    s.push_back(document("PDF", "paper.pdf", "gs", "ghostscript",
                         "gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=pdfwrite -o {out} -c '/Helvetica findfont 12 scalefont "
                         "setfont 1 1 3 { 72 720 moveto (Salvex test page) show showpage } for'",
                         {"PDF"}));
    // Word, Excel and PowerPoint 97-2003 share the OLE2 header, so each gives all three.
    s.push_back(document("XLS", "sheet.xls", "ssconvert", "gnumeric", "ssconvert {in}/table.csv {out} 2>/dev/null",
                         {"DOC", "XLS", "PPT"}));
    const std::string ole2 = "no other Debian tool writes Word or PowerPoint 97-2003 files; the XLS case proves the "
                             "OLE2 header they share";
    s.push_back(office("DOC", "letter.doc", {"DOC", "XLS", "PPT"}, "doc", "odt", ole2));
    s.push_back(office("PPT", "slides.ppt", {"DOC", "XLS", "PPT"}, "ppt", "pptx", ole2));
    s.push_back(office("ODP", "slides.odp", {"ODP"}, "odp", "pptx",
                       "no other Debian tool writes OpenDocument presentations; ODT and ODS prove the mimetype records"));
    // LibreOffice starts Office Open XML with _rels/.rels rather than [Content_Types].xml.
    s.push_back(office("DOCXFromLibreOffice", "letter-lo.docx", {}, "docx", "odt",
                       "the pandoc DOCX proves the [Content_Types].xml layout only"));
    s.back().first_entry_decides = true;
    s.push_back(office("PPTXFromLibreOffice", "slides-lo.pptx", {}, "pptx", "pptx",
                       "the pandoc PPTX proves the thorough ZIP group only"));
    s.back().first_entry_decides = true;
    s.push_back(document("DOCX", "letter.docx", "pandoc", "pandoc", "pandoc -s {in}/text.md -o {out}", {}));
    s.back().first_entry_decides = true;
    s.push_back(document("XLSX", "sheet.xlsx", "ssconvert", "gnumeric", "ssconvert {in}/table.csv {out} 2>/dev/null", {}));
    s.back().first_entry_decides = true;
    s.push_back(document("PPTX", "slides.pptx", "pandoc", "pandoc", "pandoc -s {in}/text.md -o {out}", {}));
    s.back().first_entry_decides = true;
    s.push_back(document("ODT", "letter.odt", "pandoc", "pandoc", "pandoc -s {in}/text.md -o {out}", {"ODT"}));
    s.push_back(document("ODS", "sheet.ods", "ssconvert", "gnumeric", "ssconvert {in}/table.csv {out} 2>/dev/null", {"ODS"}));
    s.push_back(document("EPUB", "book.epub", "pandoc", "pandoc",
                         "pandoc -s {in}/text.md --metadata title=Salvex --metadata identifier=salvex-test -o {out}", {"EPUB"}));
    // A plain ZIP has only the local header every entry repeats: thorough pass only.
    s.push_back(document("ZIP", "archive.zip", "zip", "zip", "cd {in} && zip -q -X {out} text.md table.csv", {}, kZipGroup));
    s.push_back({"RAR", Mode::File, "archive.rar", "command -v rar >/dev/null",
                 "no package in Debian main writes RAR archives (rar is non-free and not in this machine's sources)",
                 "cd {in} && rar a -idq {out} text.md table.csv", {"RAR"}, {}});
    s.push_back(document("7Z", "archive.7z", "7z", "p7zip-full", "cd {in} && 7z a -bd -bso0 {out} text.md table.csv", {"7Z"}));
    s.push_back(document("GZ", "table.csv.gz", "gzip", "gzip", "gzip -c {in}/table.csv > {out}", {"GZ"}));
    s.push_back(document("GZWithoutName", "notes.gz", "gzip", "gzip", "gzip -n -c {in}/text.md > {out}", {"GZ"}));
    s.push_back(document("RTF", "letter.rtf", "pandoc", "pandoc", "pandoc -s {in}/text.md -o {out}", {"RTF"}));
    s.push_back(document("SQLITE", "data.sqlite", "sqlite3", "sqlite3",
                         "sqlite3 {out} 'create table t(a, b); insert into t values (1, 2), (3, 4);'", {"SQLITE"}));

    s.push_back(audio("MP3", "tone.mp3", {"libmp3lame"}, "-c:a libmp3lame", {"MP3"}));
    s.push_back(audio("WAV", "tone.wav", {"pcm_s16le"}, "", {"WAV"}));
    s.push_back(audio("AIFF", "tone.aiff", {"pcm_s16be"}, "", {"AIFF"}));
    s.push_back(audio("AIFC", "tone.aifc", {"pcm_alaw"}, "-c:a pcm_alaw", {"AIFC"}));
    s.push_back(audio("FLAC", "tone.flac", {"flac"}, "", {"FLAC"}));
    s.push_back(audio("OGG", "tone.ogg", {"libvorbis"}, "-c:a libvorbis", {"OGG"}));
    s.push_back(audio("OPUS", "tone.opus", {"libopus"}, "-ar 48000 -c:a libopus", {"OPUS"}));
    s.push_back(audio("M4A", "tone.m4a", {"aac"}, "-c:a aac", {"M4A"}));
    s.push_back(audio("M4B", "book.m4b", {"aac"}, "-c:a aac -f ipod -brand 'M4B '", {"M4B"}));
    // ADTS frames have no file header of their own: thorough pass only.
    s.push_back(audio("AAC", "tone.aac", {"aac"}, "-c:a aac -f adts", {}, {"AAC"}));
    s.push_back(audio("WMA", "tone.wma", {"wmav2"}, "-c:a wmav2", {"WMA"}));
    // Debian's ffmpeg has no AMR encoder; sox encodes AMR-NB through libopencore-amrnb.
    s.push_back({"AMR", Mode::Audio, "voice.amr", "sox -n -r 8000 -c 1 -t amr-nb /dev/null synth 0.1 sine 440",
                 "sox cannot write AMR-NB here (Debian package sox with libopencore-amrnb0)",
                 "sox -n -r 8000 -c 1 -t amr-nb {out} synth 2 sine 440", {"AMR"}, {}});
    s.push_back({"AWB", Mode::Audio, "voice.awb", "sox -n -r 16000 -c 1 -t amr-wb /dev/null synth 0.1 sine 440",
                 "neither Debian's sox nor its ffmpeg has an AMR-WB encoder",
                 "sox -n -r 16000 -c 1 -t amr-wb {out} synth 2 sine 440", {"AWB"}, {}});
    // A format-0 file by hand: tempo, program, two notes, end of track.
    s.push_back({"MID", Mode::Audio, "tune.mid", "true", "",
                 "printf 'MThd\\000\\000\\000\\006\\000\\000\\000\\001\\000\\140MTrk\\000\\000\\000\\036"
                 "\\000\\377\\121\\003\\007\\241\\040\\000\\300\\000\\000\\220\\074\\144\\140\\200\\074\\100"
                 "\\000\\220\\100\\144\\140\\200\\100\\100\\000\\377\\057\\000' > {out}",
                 {"MID"}, {}});
    return s;
}

const std::vector<Sample>& all_samples() {
    static const std::vector<Sample> list = samples();
    return list;
}

constexpr int kCardMebibytes = 34;  // about the least FAT32 allows with one sector a cluster

// The recipes and where the tools are: the made files and the card are reused while this stays the same.
std::string recipe_text() {
    static const std::string tools =
        run("for t in ffmpeg sox gs pandoc ssconvert soffice zip rar 7z gzip sqlite3; do command -v $t || echo no $t; done")
            .output;
    std::string text = "inputs 2, card " + std::to_string(kCardMebibytes) + " MiB, every other made file deleted, then quick-formatted\n" + tools;
    for (const auto& s : all_samples()) text += s.file + "|" + s.probe + "|" + s.recipe + "\n";
    return text;
}

void make_inputs(const fs::path& in) {
    fs::create_directories(in);
    std::ofstream(in / "text.md") << "# Salvex\n\nA page of text for a recovery test, with a table.\n\n"
                                     "| card | sectors |\n|---|---|\n| one | 65536 |\n| two | 131072 |\n";
    std::ofstream csv(in / "table.csv");
    csv << "card,sectors\n";
    for (int i = 1; i <= 40; ++i) csv << "card " << i << "," << i * 2048 << "\n";
}

std::string card_stamp(const fs::path& image) {
    std::error_code ec;
    return std::to_string(fs::file_size(image, ec)) + " " +
           std::to_string(fs::last_write_time(image, ec).time_since_epoch().count());
}

// The made files in turn from each mode, so neighbours differ in kind, every other
// one (in list order) deleted again, then the card quick-formatted; with the names
// the card lists afterwards (none) and its hash.
void make_card(const fs::path& made, const fs::path& image) {
    fs::remove(image);
    must("mkfs.vfat -C -F 32 -s 1 -S 512 --invariant -n MODES_CARD " + quote(image.string()) + " " +
         std::to_string(kCardMebibytes * 1024));
    std::map<Mode, std::vector<std::string>> by_mode;
    std::string deleted;
    std::size_t kept = 0;
    for (const auto& s : all_samples()) {
        if (!fs::exists(made / s.file)) continue;
        by_mode[s.mode].push_back(s.file);
        if (kept++ % 2 == 1) deleted += " ::/" + s.file;
    }
    std::string files;
    for (std::size_t k = 0; k < all_samples().size(); ++k)
        for (const auto& [mode, list] : by_mode)
            if (k < list.size()) files += " " + quote((made / list[k]).string());
    must("mcopy -i " + quote(image.string()) + files + " ::/");
    if (!deleted.empty()) must("mdel -i " + quote(image.string()) + deleted);
    // Then a quick format, as cameras offer it: a new empty file system over the old data.
    must("mkfs.vfat -F 32 -s 1 -S 512 --invariant -n MODES_CARD " + quote(image.string()));
    std::ofstream(image.string() + ".listed") << must("mdir -b -i " + quote(image.string()) + " ::/");
    std::ofstream(image.string() + ".sha256") << sha256(image);
    std::ofstream(image.string() + ".stamp") << card_stamp(image);
}

// Makes every sample and the card once into the build tree; other test processes wait on the lock meanwhile.
const fs::path& media() {
    static const fs::path folder = [] {
        fs::create_directories(kMedia);
        // Closing the file releases the lock, also when making something throws.
        struct Lock {
            int fd = ::open((kMedia / "lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
            ~Lock() {
                if (fd >= 0) ::close(fd);
            }
        } lock;
        if (lock.fd < 0 || ::flock(lock.fd, LOCK_EX) != 0) throw std::runtime_error("cannot lock " + kMedia.string());
        const fs::path stamp = kMedia / "recipes.txt";
        std::error_code ec;
        if (!fs::exists(stamp, ec) || slurp(stamp) != recipe_text()) {
            fs::remove(stamp, ec);
            const fs::path made = kMedia / "made", in = kMedia / "in";
            fs::remove_all(made, ec);
            fs::remove_all(in, ec);
            fs::create_directories(made);
            make_inputs(in);
            for (const auto& s : all_samples()) {
                const fs::path out = made / s.file;
                if (run(s.probe + " >/dev/null 2>&1").status != 0) {
                    std::ofstream(made / (s.file + ".skip")) << s.missing;
                    continue;
                }
                // Fixed dates keep the writers that honour it from moving entries between runs.
                const Ran r = run("export SOURCE_DATE_EPOCH=1700000000; " +
                                  replace_all(replace_all(s.recipe, "{out}", quote(out.string())), "{in}", quote(in.string())));
                if (r.status != 0 || !fs::exists(out, ec) || fs::file_size(out, ec) == 0) {
                    fs::remove(out, ec);
                    std::ofstream(made / (s.file + ".fail")) << "status " << r.status << ": " << r.output;
                }
            }
            make_card(made, kMedia / "card.img");
            std::ofstream(stamp) << recipe_text();
        } else if (const fs::path card_stamp_file = kMedia / "card.img.stamp";
                   !fs::exists(card_stamp_file, ec) || card_stamp(kMedia / "card.img") != slurp(card_stamp_file)) {
            make_card(kMedia / "made", kMedia / "card.img");  // a scan that wrote to it has failed its test already
        }
        return kMedia;
    }();
    return folder;
}

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

struct Card {
    fs::path image;
    std::set<std::string> listed;  // names its root folder lists after the quick format
    std::string hash;              // when it was made
};

const Card& card() {
    static const Card c = [] {
        Card made_card;
        made_card.image = media() / "card.img";
        made_card.hash = slurp(made_card.image.string() + ".sha256");
        const std::string out = slurp(made_card.image.string() + ".listed");
        for (std::size_t start = 0; start < out.size();) {
            const std::size_t end = std::min(out.find('\n', start), out.size());
            const std::string line = out.substr(start, end - start);
            if (!line.empty()) made_card.listed.insert(line.substr(line.rfind('/') + 1));
            start = end + 1;
        }
        return made_card;
    }();
    return c;
}

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

// One full search per mode and process, with the thorough pass, as a user runs it.
const Scan& full_scan(Mode mode) {
    static std::map<Mode, std::pair<std::unique_ptr<TempFolder>, Scan>> scans;
    auto it = scans.find(mode);
    if (it == scans.end()) {
        auto tmp = std::make_unique<TempFolder>();
        Scan s = scan(card().image, mode, *tmp, "", card().hash);
        it = scans.emplace(mode, std::make_pair(std::move(tmp), std::move(s))).first;
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

    const Scan& s = full_scan(sample.mode);
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

INSTANTIATE_TEST_SUITE_P(EveryType, ModeSamples, ::testing::ValuesIn(samples()),
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
}

INSTANTIATE_TEST_SUITE_P(Modes, EveryMode, ::testing::Values(Mode::Video, Mode::File, Mode::Audio),
                         [](const auto& param_info) { return std::string(option_of(param_info.param)); });

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
    const Scan s = scan(image, Mode::File, tmp, "");
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
