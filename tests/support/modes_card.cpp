#include "support/modes_card.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <stdexcept>

#include "support/shell.h"

namespace salvex::test::modes {

namespace {

namespace fs = std::filesystem;

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}


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

// Only LibreOffice writes these on Debian: made once by data/office/make.sh and
// committed, so the suite needs no office suite.
const std::string kOffice = std::string(SALVEX_SOURCE_DIR) + "/tests/data/office/";

Sample office(const std::string& name, const std::string& file, Folders general) {
    return {name, Mode::File, file, "true", "", "cp " + quote(kOffice + file) + " {out}", std::move(general), {}};
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
    s.push_back(office("DOC", "letter.doc", {"DOC", "XLS", "PPT"}));
    s.push_back(office("PPT", "slides.ppt", {"DOC", "XLS", "PPT"}));
    s.push_back(office("ODP", "slides.odp", {"ODP"}));
    // LibreOffice starts Office Open XML with _rels/.rels rather than [Content_Types].xml.
    s.push_back(office("DOCXFromLibreOffice", "letter-lo.docx", {}));
    s.back().first_entry_decides = true;
    s.push_back(office("PPTXFromLibreOffice", "slides-lo.pptx", {}));
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

}  // namespace

const std::vector<Sample>& all_samples() {
    static const std::vector<Sample> list = samples();
    return list;
}

namespace {


// The recipes and where the tools are: the made files and the card are reused while this stays the same.
std::string recipe_text() {
    static const std::string tools =
        run("for t in ffmpeg sox gs pandoc ssconvert zip rar 7z gzip sqlite3; do command -v $t || echo no $t; done; "
            "cd " + quote(kOffice) + " && sha256sum *.*")
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

}  // namespace

// Makes every sample and the card once into the build tree; other test processes wait on the lock meanwhile.
const fs::path& modes_media(const fs::path& kMedia) {
    static const fs::path folder = [&] {
        fs::create_directories(kMedia);
        // Closing the file releases the lock, also when making something throws.
        struct Lock {
            int fd;
            ~Lock() {
                if (fd >= 0) ::close(fd);
            }
        } lock{::open((kMedia / "lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)};
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

const Card& modes_card(const fs::path& media_folder) {
    static const Card c = [&] {
        Card made_card;
        made_card.image = modes_media(media_folder) / "card.img";
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

}  // namespace salvex::test::modes
