// Finishing units of the chunked and boxed containers, on real files made at test
// time by real encoders (and a few ISO image files built by hand).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/finish/units.h"
#include "support/carved_run.h"
#include "support/temp_folder.h"

namespace salvex::test {
namespace {

using finish::Status;

using salvex::test::be;
using salvex::test::le;
std::string box(const std::string& type, const std::string& body) { return be(body.size() + 8, 4) + type + body; }

// A HEIF-style image: ftyp, a meta holding its handler, then the coded data.
std::string image(const std::string& major, const std::string& compatible) {
    const std::string hdlr = box("hdlr", std::string(8, '\0') + "pict" + std::string(13, '\0'));
    return box("ftyp", major + std::string(4, '\0') + compatible) + box("meta", std::string(4, '\0') + hdlr) +
           box("mdat", std::string(700, '\x5A'));
}
std::string cr3(const std::string&) {
    return box("ftyp", "crx " + be(1, 4) + "crx isom") + box("moov", box("uuid", std::string(16, '\x11') + "CMT1")) +
           box("uuid", std::string(16, '\x22') + std::string(300, '\x33')) + box("mdat", std::string(900, '\x44'));
}
// An OpenDML AVI goes on in a RIFF 'AVIX' holding a further movi list.
std::string with_avix(const std::string& avi) {
    const std::string movi = "LIST" + le(4 + 8 + 600, 4) + "movi" + "00dc" + le(600, 4) + std::string(600, '\x07');
    return avi + "RIFF" + le(4 + movi.size(), 4) + "AVIX" + movi;
}
// QuickTime from before ftyp: the same boxes without it.
std::string without_ftyp(const std::string& mov) { return mov.substr(static_cast<unsigned char>(mov[3])); }
// A recording whose clusters were never closed either: each Cluster of unknown size.
std::string open_clusters(std::string mkv) {
    const std::string cluster = "\x1F\x43\xB6\x75";
    for (std::size_t at = mkv.find(cluster); at != std::string::npos; at = mkv.find(cluster, at + 4)) {
        std::size_t n = 1;
        while (!(static_cast<unsigned char>(mkv[at + 4]) & (0x80 >> (n - 1)))) ++n;
        mkv[at + 4] = static_cast<char>((0x80 >> (n - 1)) | (0xFF >> n));
        for (std::size_t i = 1; i < n; ++i) mkv[at + 4 + i] = '\xFF';
    }
    return mkv;
}
// An ASF whose only stream carries binary media is neither wma nor wmv.
std::string binary_stream(std::string wma) {
    const std::string audio("\x40\x9E\x69\xF8\x4D\x5B\xCF\x11\xA8\xFD\x00\x80\x5F\x5C\x44\x2B", 16);
    const std::string binary("\xE2\x65\xFB\x3A\xEF\x47\xF2\x40\xAC\x2C\x70\xA9\x0D\x71\xD3\x43", 16);
    wma.replace(wma.find(audio), 16, binary);
    return wma;
}

struct Sample {
    const char* name;
    const char* type;
    const char* tools;    // what makes it; none for the ones built here
    std::string command;  // OUT is the file to write
    std::function<std::string(const std::string&)> build;
    const char* marker;   // two bytes at marker + delta are zeroed in the damaged variant
    int delta;
};

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

std::vector<Sample> samples() {
    const std::string v = "ffmpeg -v error -y -f lavfi -i testsrc=duration=1:size=160x120:rate=10 ";
    const std::string b = v + "-f lavfi -i sine=duration=1 ";
    const std::string s = "ffmpeg -v error -y -f lavfi -i sine=duration=1:sample_rate=8000 ";
    const std::string png = "ffmpeg -v error -y -f lavfi -i testsrc=size=64x48 -frames:v 1 OUT.png && cwebp -quiet ";
    const char* const segment = "\x18\x53\x80\x67";
    const char* const data_object = "\x36\x26\xB2\x75";
    auto keep = [](const std::string& f) { return f; };
    return {
        {"mp4", "mp4", "ffmpeg", b + "-c:v mpeg4 -c:a aac -f mp4 OUT", keep, "mdat", -2},
        {"mp4 fragments", "mp4", "ffmpeg",
         b + "-c:v mpeg4 -c:a aac -movflags +frag_keyframe+empty_moov -f mp4 OUT", keep, "moof", -2},
        {"mov", "mov", "ffmpeg", b + "-c:v mpeg4 -c:a aac -f mov OUT", keep, "mdat", -2},
        {"mov without ftyp", "mov", "ffmpeg", b + "-c:v mpeg4 -f mov OUT", without_ftyp, "moov", -2},
        {"m4v", "m4v", "ffmpeg", v + "-c:v mpeg4 -f ipod OUT", keep, "mdat", -2},
        {"3gp", "3gp", "ffmpeg", b + "-c:v h263 -s 176x144 -c:a aac -f 3gp OUT", keep, "mdat", -2},
        {"3g2", "3g2", "ffmpeg", b + "-c:v h263 -s 176x144 -c:a aac -f 3g2 OUT", keep, "mdat", -2},
        {"m4a", "m4a", "ffmpeg", s + "-c:a aac -f ipod OUT", keep, "mdat", -2},
        {"m4b", "m4b", "ffmpeg", s + "-c:a aac -f ipod -brand 'M4B ' OUT", keep, "mdat", -2},
        {"avif", "avif", "ffmpeg", v + "-frames:v 1 -c:v libaom-av1 -cpu-used 8 -f avif OUT", keep, "meta", -2},
        {"heic", "heic", nullptr, "", [](const std::string&) { return image("heic", "mif1heic"); }, "meta", -2},
        {"heif", "heif", nullptr, "", [](const std::string&) { return image("mif1", "mif1miaf"); }, "meta", -2},
        {"cr3", "cr3", nullptr, "", cr3, "mdat", -2},
        {"mkv", "mkv", "ffmpeg", b + "-c:v mpeg4 -c:a aac -f matroska OUT", keep, segment, 4},
        {"mkv live", "mkv", "ffmpeg", b + "-c:v mpeg4 -c:a aac -f matroska - > OUT", keep, segment, 4},
        {"mkv open clusters", "mkv", "ffmpeg", b + "-c:v mpeg4 -c:a aac -f matroska - > OUT", open_clusters, segment,
         4},
        {"webm", "webm", "ffmpeg", b + "-c:v libvpx -c:a libopus -f webm OUT", keep, segment, 4},
        {"avi", "avi", "ffmpeg", b + "-c:v mpeg4 -c:a pcm_s16le -f avi OUT", keep, "RIFF", 5},
        {"avi opendml", "avi", "ffmpeg", v + "-c:v mpeg4 -f avi OUT", with_avix, "AVIX", -3},
        {"wav", "wav", "ffmpeg", s + "-c:a pcm_s16le -f wav OUT", keep, "RIFF", 5},
        {"wav rf64", "wav", "ffmpeg", s + "-c:a pcm_s16le -rf64 always -f wav OUT", keep, "ds64", 9},
        {"wav sox", "wav", "sox", "sox -n -r 8000 -c 1 -t wav OUT synth 0.3 sine 440", keep, "RIFF", 5},
        {"webp lossy", "webp", "ffmpeg cwebp", png + "OUT.png -o OUT", keep, "RIFF", 5},
        {"webp lossless", "webp", "ffmpeg cwebp", png + "-lossless OUT.png -o OUT", keep, "RIFF", 5},
        {"webp alpha", "webp", "ffmpeg cwebp",
         replace_all(png, "testsrc=size=64x48", "color=c=red@0.5:size=40x30,format=rgba") + "OUT.png -o OUT", keep,
         "RIFF", 5},
        {"aiff", "aiff", "sox", "sox -n -r 8000 -c 1 -t aiff OUT synth 0.3 sine 440", keep, "FORM", 5},
        {"aifc", "aifc", "sox", "sox -n -r 8000 -c 1 -t aifc OUT synth 0.3 sine 440", keep, "SSND", 5},
        {"aiff ffmpeg", "aiff", "ffmpeg", s + "-f aiff OUT", keep, "FORM", 5},
        {"wmv", "wmv", "ffmpeg", b + "-c:v wmv2 -c:a wmav2 -f asf OUT", keep, data_object, 16},
        {"wma", "wma", "ffmpeg", s + "-c:a wmav2 -f asf OUT", keep, data_object, 16},
        {"asf", "asf", "ffmpeg", s + "-c:a wmav2 -f asf OUT", binary_stream, data_object, 16},
        {"flv", "flv", "ffmpeg", b + "-c:v flv1 -c:a adpcm_swf -ar 22050 -f flv OUT", keep, "FLV", 13},
        {"flv live", "flv", "ffmpeg", b + "-c:v flv1 -c:a adpcm_swf -ar 22050 -f flv - > OUT", keep, "FLV", 13},
        {"mxf", "mxf", "ffmpeg",
         replace_all(b, "rate=10", "rate=25") + "-c:v mpeg2video -c:a pcm_s16le -ar 48000 -f mxf OUT",
         keep, "\x06\x0E\x2B\x34\x02\x05\x01\x01\x0D\x01\x02\x01\x01\x04", 32},  // the footer's ThisPartition
    };
}

const std::vector<std::pair<finish::Unit, std::vector<const char*>>> kFamily = {
    {finish::check_riff, {"webp", "avi", "wav"}},
    {finish::check_aiff, {"aiff", "aifc"}},
    {finish::check_iso_bmff, {"mp4", "mov", "m4v", "3gp", "3g2", "m4a", "m4b", "heic", "heif", "avif", "cr3"}},
    {finish::check_ebml, {"mkv", "webm"}},
    {finish::check_asf, {"asf", "wmv", "wma"}},
    {finish::check_flv, {"flv"}},
    {finish::check_mxf, {"mxf"}},
};

finish::Unit unit_for(const std::string& type) {
    for (const auto& [unit, types] : kFamily)
        for (const char* t : types)
            if (type == t) return unit;
    return nullptr;
}

TEST(FinishContainers, RealFilesEndWhereTheirStructureEnds) {
    TempFolder folder;
    const std::vector<Sample> table = samples();
    std::string missing;
    for (std::size_t row = 0; row < table.size(); ++row) {
        const Sample& sample = table[row];
        const finish::Unit own = unit_for(sample.type);
        SCOPED_TRACE(sample.name);
        std::string file;
        if (sample.tools == nullptr) {
            file = sample.build({});
        } else {
            bool ready = true;
            for (const char* tool : {"ffmpeg", "cwebp", "sox"})
                if (std::string(sample.tools).find(tool) != std::string::npos && !have(tool)) ready = false;
            const std::string out = folder / ("s" + std::to_string(row));
            const Ran made = ready ? run(replace_all(sample.command, "OUT", quote(out))) : Ran{};
            if (!ready || (made.status != 0 && (made.output.find("Unknown encoder") != std::string::npos ||
                                                made.output.find("Encoder not found") != std::string::npos))) {
                missing += std::string(" ") + sample.name;  // a tool, or an encoder of this ffmpeg, is not here
                continue;
            }
            ASSERT_EQ(made.status, 0) << made.output;
            file = sample.build(slurp(out));
        }
        ASSERT_GT(file.size(), 64u);

        // Its own type confirms with the file's size; every other type of the family does not.
        for (const auto& [unit, types] : kFamily)
            for (const char* type : types) {
                const finish::Verdict got = check(unit, carved_run(file), type);
                if (unit == own && std::string(type) == sample.type) {
                    EXPECT_EQ(got.status, Status::confirmed) << type;
                    EXPECT_EQ(got.end, file.size()) << type;
                } else {
                    EXPECT_NE(got.status, Status::confirmed) << type;
                }
            }
        // The next file right behind it.
        EXPECT_EQ(check(own, carved_run(file, file, file.size() / 256 + 2), sample.type).end, file.size());

        // Cut in the middle, or a size field zeroed: never a wrong end.
        const std::string cut = file.substr(0, file.size() / 2);  // the next header came first
        const finish::Verdict on_cut = check(own, cut, sample.type);
        EXPECT_TRUE(on_cut.status != Status::confirmed || on_cut.end == 0) << "cut gave " << on_cut.end;
        std::string damaged = file;
        const std::size_t at = damaged.find(sample.marker);
        ASSERT_NE(at, std::string::npos);
        damaged.replace(static_cast<std::size_t>(static_cast<long>(at) + sample.delta), 2, std::string(2, '\0'));
        const finish::Verdict on_zero = check(own, carved_run(damaged), sample.type);
        EXPECT_TRUE(on_zero.status != Status::confirmed || on_zero.end == 0 || on_zero.end == file.size())
            << "zeroed field gave " << on_zero.end;
    }
    if (!missing.empty()) GTEST_SKIP() << "no tool to make:" << missing;
}

TEST(FinishContainers, GarbageAndOtherTypesAreRejected) {
    const std::string garbage = carved_run(std::string(40, '\x5C'));
    for (const auto& [unit, types] : kFamily) {
        EXPECT_EQ(check(unit, garbage, "jpg").status, Status::rejected);
        for (const char* type : types) EXPECT_EQ(check(unit, garbage, type).status, Status::rejected) << type;
    }
}

}  // namespace
}  // namespace salvex::test
