// Finishing units for pictures and camera raw files, over files made by real
// encoders (and raw files built from their published layouts).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/finish/scan_marks.h"
#include "engine/finish/units.h"
#include "support/carved_run.h"
#include "support/temp_folder.h"

namespace {

using namespace salvex::finish;
using namespace std::string_literals;
using salvex::test::be;
using salvex::test::carved_run;
using salvex::test::check;
using salvex::test::have;
using salvex::test::le;
using salvex::test::must;
using salvex::test::quote;
using salvex::test::slurp;

struct Kind {
    Unit unit;
    std::string type;
};
const std::vector<Kind> kKinds = {{check_jpeg, "jpg"}, {check_png, "png"}, {check_gif, "gif"}, {check_bmp, "bmp"},
                                  {check_tiff, "tif"}, {check_tiff, "cr2"}, {check_tiff, "orf"}, {check_tiff, "rw2"},
                                  {check_raf, "raf"},  {check_x3f, "x3f"},  {check_crw, "crw"},  {check_mrw, "mrw"},
                                  {check_psd, "psd"},  {check_psd, "psb"}};

struct Sample {
    std::string name;
    std::string bytes;
    std::string type;
    std::size_t field;  // a 4-byte field whose zeroing must leave the end unproved
};


// A little-endian IFD entry.
std::string entry(std::uint32_t tag, std::uint32_t type, std::uint32_t count, std::uint32_t value) {
    return le(tag, 2) + le(type, 2) + le(count, 4) + le(value, 4);
}

// A segment inserted right after SOI.
std::string with_segment(const std::string& jpeg, char marker, const std::string& payload) {
    return jpeg.substr(0, 2) + '\xFF' + marker + be(static_cast<std::uint32_t>(payload.size() + 2), 2) + payload +
           jpeg.substr(2);
}

// APP1 holding an EXIF block whose IFD1 names a complete thumbnail JPEG (its own EOI included).
std::string with_exif(const std::string& jpeg, const std::string& thumb) {
    const auto size = static_cast<std::uint32_t>(thumb.size());
    const std::string tiff = "II*\0"s + le(8, 4) + le(1, 2) + entry(0x112, 3, 1, 1) + le(26, 4) + le(2, 2) +
                             entry(0x201, 4, 1, 56) + entry(0x202, 4, 1, size) + le(0, 4) + thumb;
    return with_segment(jpeg, '\xE1', "Exif\0\0"s + tiff);
}

// APP2 MPF index naming a second JPEG appended after the first one's EOI.
std::string with_mpf(const std::string& jpeg, const std::string& second) {
    const auto main_size = static_cast<std::uint32_t>(jpeg.size() + 78), base = 10u;
    const std::string payload = "MPF\0II*\0"s + le(8, 4) + le(2, 2) + le(0xB000, 2) + le(7, 2) + le(4, 4) + "0100" +
                                le(0xB002, 2) + le(7, 2) + le(32, 4) + le(38, 4) + le(0, 4) + le(0x030000, 4) +
                                le(main_size, 4) + le(0, 4) + le(0, 4) + le(0, 4) +
                                le(static_cast<std::uint32_t>(second.size()), 4) + le(main_size - base, 4) + le(0, 4);
    return with_segment(jpeg, '\xE2', payload) + second;
}

std::string filler(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 3);
    return s;
}

// A raw file laid out as cameras write them: IFDs first (IFD0 naming the raw
// strip, IFD1 a JPEG thumbnail, an EXIF IFD with a maker note), data last.
std::string raw_tiff(const std::string& magic, const std::string& thumb, bool raw_offset_tag = false) {
    const std::uint32_t n0 = raw_offset_tag ? 6 : 5, ifd1 = 16 + 6 + 12 * n0, exif = ifd1 + 30, note = exif + 18;
    const std::uint32_t jpeg = note + 64, data = jpeg + static_cast<std::uint32_t>(thumb.size());
    std::string f = magic + le(16, 4) + (magic == "II*\0"s ? "CR\x02\0"s + le(0, 4) : std::string(8, '\0'));
    f += le(n0, 2) + entry(256, 3, 1, 64) + entry(257, 3, 1, 32) + entry(273, 4, 1, data) + entry(279, 4, 1, 4096);
    if (raw_offset_tag) f += entry(0x118, 4, 1, data);
    f += entry(34665, 4, 1, exif) + le(ifd1, 4);
    f += le(2, 2) + entry(513, 4, 1, jpeg) + entry(514, 4, 1, static_cast<std::uint32_t>(thumb.size())) + le(0, 4);
    f += le(1, 2) + entry(37500, 7, 64, note) + le(0, 4);
    return f + filler(64) + thumb + filler(4096);
}

// RAF: header naming the embedded JPEG, a meta container and the raw data.
std::string raf(const std::string& jpeg) {
    const std::string meta = be(1, 4) + be(0x100, 2) + be(4, 2) + be(32, 2) + be(64, 2), raw = filler(4096);
    std::string h = "FUJIFILMCCD-RAW 0201FF389501X-T1";
    h.resize(0x3C, '\0');
    h += "0100" + std::string(20, '\0');
    const auto j = static_cast<std::uint32_t>(jpeg.size()), m = static_cast<std::uint32_t>(meta.size());
    h += be(0x100, 4) + be(j, 4) + be(0x100 + j, 4) + be(m, 4) + be(0x100 + j + m, 4) + be(4096, 4);
    h.resize(0x100, '\0');
    return h + jpeg + meta + raw;
}

// MRW: MRM block (PRD and PAD blocks), then 64x32 raw pixels of 16 bits.
std::string mrw() {
    const std::string prd = "\0PRD"s + be(24, 4) + "27730001" + be(32, 2) + be(64, 2) + be(32, 2) + be(64, 2) +
                            "\x10\x0C\x52\0"s + be(0, 4);
    const std::string blocks = prd + "\0PAD"s + be(100, 4) + std::string(100, '\0');
    return "\0MRM"s + be(static_cast<std::uint32_t>(blocks.size()), 4) + blocks + filler(64 * 32 * 2);
}

std::vector<Sample> samples(const salvex::test::TempFolder& dir) {
    const std::string base = dir / "base.ppm";
    must("convert -size 300x200 -seed 4 plasma:fractal -depth 8 " + quote(base));
    auto make = [&](const std::string& name, const std::string& options, const std::string& format = "") {
        must("convert " + quote(base) + " " + options + " " + quote(format + dir / name));
        return slurp(dir / name);
    };
    const std::string jpeg = make("a.jpg", "-quality 85"), thumb = make("t.jpg", "-resize 32x24 -quality 60");
    return {
        {"baseline jpeg", jpeg, "jpg", 4},
        {"progressive jpeg", make("p.jpg", "-interlace Plane"), "jpg", 4},
        {"cmyk jpeg", make("c.jpg", "-colorspace CMYK"), "jpg", 4},
        {"jpeg with restart marker", jpeg.substr(0, jpeg.size() - 2) + "\xFF\xD0\xFF\xD9", "jpg", 4},
        {"jpeg with exif thumbnail", with_exif(jpeg, thumb), "jpg", 4},
        {"jpeg with mpf image", with_mpf(jpeg, thumb), "jpg", 72},
        {"png", make("a.png", ""), "png", 8},
        {"interlaced png", make("i.png", "-interlace PNG"), "png", 33},
        {"gif", make("a.gif", "-colors 64"), "gif", 10},
        {"animated gif", make("n.gif", "-colors 32 \\( +clone -rotate 90 -negate \\) -loop 0"), "gif", 10},
        {"bmp3", make("3.bmp", "", "BMP3:"), "bmp", 4},
        {"bmp4", make("4.bmp", ""), "bmp", 4},
        {"bmp rle", make("r.bmp", "-colors 16 -compress RLE", "BMP3:"), "bmp", 4},
        {"tiff strips", make("a.tif", ""), "tif", 4},
        {"tiff tiles", make("t.tif", "-define tiff:tile-geometry=64x64"), "tif", 4},
        {"tiff lzw big-endian", make("l.tif", "-compress LZW -define tiff:endian=msb"), "tif", 4},
        {"bigtiff", make("b.tif", "", "TIFF64:"), "tif", 8},
        {"cr2", raw_tiff("II*\0"s, thumb), "cr2", 62},  // 62: the raw strip's byte count
        {"orf", raw_tiff("IIRO"s, thumb), "orf", 62},
        {"rw2", raw_tiff("IIU\0"s, thumb, true), "rw2", 62},
        {"psd raw", make("a.psd", ""), "psd", 30},
        {"psd rle", make("r.psd", "-compress RLE"), "psd", 30},
        {"psb rle", make("r.psb", "-compress RLE", "PSB:"), "psb", 30},
        {"raf", raf(jpeg), "raf", 0x64},
        {"mrw", mrw(), "mrw", 24},
    };
}

// A run as the photo engine judges it: with the scan marks noted while it was
// written, in uneven pieces or byte by byte, so that marks fall across edges.
class NotedRun final : public ByteSource {
public:
    NotedRun(const std::string& run, bool bytewise) : plain_(run.data(), run.size()) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(run.data());
        for (std::size_t at = 0, piece = 1; at < run.size(); at += piece, piece = bytewise ? 1 : piece * 7 % 1031 + 1)
            marks_.feed(bytes + at, std::min(piece, run.size() - at));
    }
    std::uint64_t size() const override { return plain_.size(); }
    std::size_t read(std::uint64_t offset, void* out, std::size_t n) override { return plain_.read(offset, out, n); }
    const ScanMarks* scan_marks() const override { return &marks_; }

private:
    MemorySource plain_;
    ScanMarks marks_;
};

TEST(FinishPictures, EachSampleEndsWhereItsStructureEndsAndDamageNeverGivesAWrongEnd) {
    if (!have("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
    salvex::test::TempFolder dir;
    for (const Sample& s : samples(dir)) {
        SCOPED_TRACE(s.name);
        ASSERT_GT(s.bytes.size(), s.field + 4);
        const std::string run = carved_run(s.bytes);
        std::string zeroed = s.bytes;
        zeroed.replace(s.field, 4, 4, '\0');
        for (const Kind& k : kKinds) {
            const Verdict v = check(k.unit, run, k.type);
            if (k.type != s.type) {
                EXPECT_NE(v.status, Status::confirmed) << k.type;
                continue;
            }
            EXPECT_EQ(v.status, Status::confirmed);
            EXPECT_EQ(v.end, s.bytes.size());
            for (const std::string& bad : {carved_run(s.bytes.substr(0, s.bytes.size() / 2)), carved_run(zeroed)}) {
                const Verdict d = check(k.unit, bad, k.type);
                EXPECT_TRUE(d.status != Status::confirmed || d.end == 0) << d.end;
            }
            if (k.type != "jpg") continue;
            // The marks noted while writing lead to the very same verdict as reading the scans back.
            for (const std::string& any : {run, carved_run(s.bytes.substr(0, s.bytes.size() / 2)), carved_run(zeroed)})
                for (const bool bytewise : {false, true}) {
                    NotedRun noted(any, bytewise);
                    const Verdict plain = check(k.unit, any, k.type), with_marks = k.unit(noted, k.type);
                    EXPECT_EQ(with_marks.status, plain.status) << bytewise;
                    EXPECT_EQ(with_marks.end, plain.end) << bytewise;
                }
        }
    }
}

TEST(FinishPictures, AJpegWhoseXmpNamesAMotionPhotoVideoStaysWhole) {
    if (!have("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
    salvex::test::TempFolder dir;
    must("convert -size 64x48 gradient:red-blue " + quote(dir / "a.jpg"));
    const std::string xmp = "http://ns.adobe.com/xap/1.0/\0<x:xmpmeta><rdf:Description GCamera:MotionPhoto=\"1\"/>"s;
    const std::string file = with_segment(slurp(dir / "a.jpg"), '\xE1', xmp) + "\0\0\0\x18"s + "ftypmp42" + filler(2000);
    const Verdict v = check(check_jpeg, carved_run(file), "jpg");
    EXPECT_EQ(v.status, Status::confirmed);
    EXPECT_EQ(v.end, 0u);
}

TEST(FinishPictures, RawFilesWithoutAForwardEndAreConfirmedWholeAndJunkIsRejected) {
    const std::string junk = carved_run("");
    EXPECT_EQ(check(check_x3f, carved_run("FOVb"s + le(0x00020002, 4)), "x3f").status, Status::confirmed);
    EXPECT_EQ(check(check_x3f, carved_run("FOVb"s + le(0x00020002, 4)), "x3f").end, 0u);
    EXPECT_EQ(check(check_crw, carved_run("II"s + le(26, 4) + "HEAPCCDR"), "crw").status, Status::confirmed);
    EXPECT_EQ(check(check_crw, carved_run("II"s + le(26, 4) + "HEAPCCDR"), "crw").end, 0u);
    for (const Kind& k : kKinds) EXPECT_EQ(check(k.unit, junk, k.type).status, Status::rejected) << k.type;
    EXPECT_EQ(check(check_jpeg, junk, "png").status, Status::rejected);
}

}  // namespace
