// The stream units (Ogg, FLAC, MP3/AAC, MPEG program and transport streams,
// MIDI, AMR) on real files made here by encoders: each carved with junk after
// it, cut short by the next file, and with a frame or page header zeroed.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/finish/units.h"
#include "support/carved_run.h"
#include "support/temp_folder.h"

namespace salvex::test {
namespace {

using finish::Status;

const std::map<std::string, finish::Unit>& units() {
    static const std::map<std::string, finish::Unit> all = {
        {"ogg", finish::check_ogg},        {"opus", finish::check_ogg},       {"flac", finish::check_flac},
        {"mp3", finish::check_mpeg_audio}, {"aac", finish::check_mpeg_audio}, {"mpg", finish::check_mpeg_ps},
        {"ts", finish::check_mpeg_ts},     {"mts", finish::check_mpeg_ts},    {"mid", finish::check_midi},
        {"amr", finish::check_amr},        {"awb", finish::check_amr}};
    return all;
}

// Made by hand: AMR-WB frames (no encoder here writes them), MIDI files.
std::string awb() {
    std::string f = "#!AMR-WB\n";
    for (int i = 0; i < 150; ++i) {
        f += static_cast<char>(i % 3 == 0 ? 0x44 : i % 3 == 1 ? 0x0C : 0x7C);  // 23.85 kbit/s, 8.85 kbit/s, no data
        for (int k = 0, n = i % 3 == 0 ? 60 : i % 3 == 1 ? 23 : 0; k < n; ++k)
            f += static_cast<char>(i * 7 + k * 13 + 1);
    }
    return f;
}
std::string track(const std::string& events) {
    const std::size_t n = events.size() + 4;
    return std::string("MTrk\0\0", 6) + static_cast<char>(n >> 8) + static_cast<char>(n) + events +
           std::string("\0\xFF\x2F\0", 4);
}
std::string midi(int format, int tracks) {
    std::string f = std::string("MThd\0\0\0\x06\0", 9) + static_cast<char>(format) + '\0' + static_cast<char>(tracks) +
                    std::string("\0\x60", 2);
    for (int t = 0; t < tracks; ++t) {
        if (t == 1) f += std::string("XFIH\0\0\0\x02hi", 10);  // a chunk of another type between tracks
        f += track(std::string("\0\xC0\0\0\x90\x3C\x64\x60\x80\x3C\x40", 11));
    }
    return f;
}

struct Sample {
    const char* name;
    const char* type;
    const char* tool;
    std::string command;                // writes {out}
    std::function<std::string()> make;  // or the bytes themselves
    std::string mark;                   // starts a header past the middle, to be zeroed
};

std::string ff(const std::string& args) { return "ffmpeg -hide_banner -loglevel error -y " + args + " {out}"; }
const std::string kTone = "-f lavfi -i sine=frequency=440:duration=2 ";
const std::string kNoise = "-f lavfi -i anoisesrc=d=2:c=pink:a=0.3 ";
const std::string kVideo = kNoise + "-f lavfi -i testsrc=duration=2:size=160x120:rate=25 ";
const std::string kSync = std::string("\0\0\1\xBA", 4);

const std::vector<Sample> kSamples = {
    {"Vorbis", "ogg", "ffmpeg", ff(kNoise + "-c:a libvorbis -f ogg"), {}, "OggS"},
    {"VorbisSox", "ogg", "sox", "sox -n -r 44100 -c 1 -t ogg {out} synth 2 sine 440", {}, "OggS"},
    {"TheoraVorbis", "ogg", "ffmpeg", ff(kVideo + "-c:v libtheora -c:a libvorbis -f ogg"), {}, "OggS"},
    {"OggFlac", "ogg", "ffmpeg", ff(kNoise + "-c:a flac -f ogg"), {}, "OggS"},
    {"Speex", "ogg", "ffmpeg", ff(kNoise + "-ar 16000 -c:a libspeex -f ogg"), {}, "OggS"},
    {"Chained",
     "ogg",
     "ffmpeg",
     ff(kTone + "-c:a libvorbis -f ogg") + ".1 && " + ff(kNoise + "-c:a libvorbis -f ogg") +
         ".2 && cat {out}.1 {out}.2 > {out}",
     {},
     "OggS"},
    {"Opus", "opus", "ffmpeg", ff(kNoise + "-c:a libopus -f ogg"), {}, "OggS"},
    {"Flac", "flac", "ffmpeg", ff(kNoise + "-ac 2 -c:a flac -compression_level 12 -f flac"), {}, "\xFF\xF8"},
    {"FlacUncounted", "flac", "ffmpeg", ff(kNoise + "-c:a flac -f flac pipe: >"), {}, "\xFF\xF8"},
    {"FlacSox", "flac", "sox", "sox -n -r 48000 -c 2 -b 24 -t flac {out} synth 2 pinknoise", {}, "\xFF\xF8"},
    {"Mp3", "mp3", "ffmpeg", ff(kTone + "-c:a libmp3lame -f mp3"), {}, "\xFF\xFB"},
    {"Mp3Bare", "mp3", "ffmpeg", ff(kNoise + "-c:a libmp3lame -id3v2_version 0 -write_xing 0 -f mp3"), {}, "\xFF\xFB"},
    {"Mp3Id3v1",
     "mp3",
     "ffmpeg",
     ff(kTone + "-c:a libmp3lame -write_id3v1 1 -metadata title=Tone -f mp3"),
     {},
     "\xFF\xFB"},
    {"Mp3Mpeg25", "mp3", "ffmpeg", ff(kNoise + "-ar 8000 -ac 1 -c:a libmp3lame -f mp3"), {}, "\xFF\xE3"},
    {"Aac", "aac", "ffmpeg", ff(kNoise + "-ac 2 -c:a aac -f adts"), {}, "\xFF\xF1"},
    {"Mpeg1", "mpg", "ffmpeg", ff(kVideo + "-c:v mpeg1video -c:a mp2 -f mpeg"), {}, kSync},
    {"Vob", "mpg", "ffmpeg", ff(kVideo + "-c:v mpeg2video -c:a ac3 -f vob"), {}, kSync},
    {"Ts", "ts", "ffmpeg", ff(kVideo + "-c:v mpeg2video -c:a mp2 -f mpegts"), {}, "G\x01\x00"},
    {"M2ts", "mts", "ffmpeg", ff(kVideo + "-c:v mpeg2video -c:a mp2 -f mpegts -mpegts_m2ts_mode 1"), {}, "G\x01\x00"},
    {"Amr", "amr", "sox", "sox -n -r 8000 -c 1 -t amr-nb {out} synth 2 sine 440", {}, "\x04"},
    {"Awb", "awb", "", "", awb, "\x44"},
    {"Midi0", "mid", "", "", [] { return midi(0, 1); }, "MTrk"},
    {"Midi1", "mid", "", "", [] { return midi(1, 3); }, "MTrk"},
};

class FinishStreams : public testing::TestWithParam<Sample> {};

TEST_P(FinishStreams, EndOfRealFileAndDamage) {
    const Sample& s = GetParam();
    const finish::Unit unit = units().at(s.type);
    std::string file;
    if (s.make) {
        file = s.make();
    } else {
        if (!have(s.tool)) GTEST_SKIP() << s.tool << " is not installed";
        TempFolder dir;
        const std::string out = dir / (std::string("sample.") + s.type);
        std::string command = s.command;
        for (std::size_t at; (at = command.find("{out}")) != std::string::npos;) command.replace(at, 5, quote(out));
        const Ran made = run(command);
        if (made.status != 0) GTEST_SKIP() << "cannot make the sample here: " << made.output;
        file = slurp(out);
    }
    ASSERT_GT(file.size(), 30u);

    // The carved run: the file and what the card held after it.
    const std::string carved = carved_run(file);
    const finish::Verdict v = check(unit, carved, s.type);
    EXPECT_EQ(v.status, Status::confirmed);
    EXPECT_EQ(v.end, file.size());
    for (const auto& [type, other] : units())
        if (type != s.type) {
            EXPECT_NE(check(other, carved, type).status, Status::confirmed) << "as " << type;
        }

    // Cut by the next file: the run stops inside the stream.
    const std::size_t cut = file.size() >= 1024 ? file.size() / 1024 * 512 : file.size() / 2;
    const finish::Verdict cut_short = check(unit, file.substr(0, cut), s.type);
    EXPECT_TRUE(cut_short.status != Status::confirmed || cut_short.end == 0) << cut_short.end;

    // A header zeroed past the middle: still this type, and no end but the true
    // one. Zeroed at the very start: not this type any more.
    std::size_t at = file.find(s.mark, file.size() / 2);
    if (at == std::string::npos) at = file.rfind(s.mark);
    ASSERT_NE(at, std::string::npos);
    std::string damaged = file;
    damaged.replace(at, 4, 4, '\0');
    const finish::Verdict hurt = check(unit, carved_run(damaged), s.type);
    EXPECT_EQ(hurt.status, Status::confirmed);
    EXPECT_TRUE(hurt.end == 0 || hurt.end == file.size()) << hurt.end;
    damaged = file;
    damaged.replace(0, 5, 5, '\0');
    EXPECT_NE(check(unit, carved_run(damaged), s.type).status, Status::confirmed);
}

INSTANTIATE_TEST_SUITE_P(Samples, FinishStreams, testing::ValuesIn(kSamples),
                         [](const testing::TestParamInfo<Sample>& row) { return std::string(row.param.name); });

// Frame syncs land on sector starts inside other data: a header or two is not a stream.
TEST(FinishStreamsFalseStarts, FewFramesAreNotAStream) {
    std::string two = std::string("\xFF\xFB\x90\x64", 4);
    two = carved_run(two + std::string(413, '\x55') + two + std::string(413, '\x55'), "", 4);
    EXPECT_EQ(check(finish::check_mpeg_audio, two, "mp3").status, Status::rejected);
    const std::string adts = carved_run(std::string("\xFF\xF1\x50\x80\x02\x1F\xFC", 7), "", 2);
    EXPECT_EQ(check(finish::check_mpeg_audio, adts, "aac").status, Status::rejected);
    EXPECT_EQ(check(finish::check_mpeg_ts, carved_run("G", "", 2), "ts").status, Status::rejected);
    for (const auto& [type, unit] : units())
        EXPECT_EQ(check(unit, carved_run(""), type).status, Status::rejected) << type;
}

}  // namespace
}  // namespace salvex::test
