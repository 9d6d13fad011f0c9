// Finishing units for documents and archives: real files made by the tools
// here (and by hand where no tool writes the format), carved with what follows
// them, must be confirmed as their own types only, cut at their real end.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/finish/documents_common.h"
#include "engine/finish/units.h"
#include "support/carved_run.h"
#include "support/temp_folder.h"

namespace salvex::test {
namespace {

using finish::Status;

const std::vector<std::pair<std::string, finish::Unit>> kServed = {
    {"pdf", finish::check_pdf},   {"zip", finish::check_zip},       {"docx", finish::check_zip},
    {"xlsx", finish::check_zip},  {"pptx", finish::check_zip},      {"odt", finish::check_zip},
    {"ods", finish::check_zip},   {"odp", finish::check_zip},       {"epub", finish::check_zip},
    {"doc", finish::check_ole2},  {"xls", finish::check_ole2},      {"ppt", finish::check_ole2},
    {"rtf", finish::check_rtf},   {"sqlite", finish::check_sqlite}, {"7z", finish::check_7z},
    {"gz", finish::check_gzip},   {"rar", finish::check_rar},       {"tar", finish::check_tar}};

struct Sample {
    std::string name;
    std::set<std::string> types;  // the types it must be confirmed as
    std::string bytes;
    std::size_t field = 0, field_length = 0;  // zeroed, no end may be proved
};

using salvex::test::le;
std::uint32_t crc(const std::string& s) {
    return finish::documents::crc32(0, reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}
std::string vint(std::uint64_t v) {
    std::string s;
    for (; v >= 0x80; v >>= 7) s += static_cast<char>((v & 0x7F) | 0x80);
    return s + static_cast<char>(v);
}

// A compound file: header, FAT (sector 0), directory (sector 1), a 4096-byte
// stream in sectors 2-9, beside an empty "CompObj" stream in the root's tree.
std::string ole2(const std::string& stream) {
    std::string f(512 * 11, '\0');
    const auto put = [&f](std::size_t at, std::uint64_t v, int bytes) { f.replace(at, bytes, le(v, bytes)); };
    f.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    for (const auto& [at, v, bytes] : std::vector<std::tuple<std::size_t, std::uint64_t, int>>{
             {0x18, 0x3E, 2}, {0x1A, 3, 2}, {0x1C, 0xFFFE, 2}, {0x1E, 9, 2}, {0x20, 6, 2}, {0x2C, 1, 4},
             {0x30, 1, 4}, {0x38, 4096, 4}, {0x3C, 0xFFFFFFFE, 4}, {0x44, 0xFFFFFFFE, 4}})
        put(at, v, bytes);
    for (int i = 1; i < 109; ++i) put(0x4C + 4 * i, 0xFFFFFFFF, 4);
    for (std::uint32_t i = 0; i < 128; ++i)
        put(512 + 4 * i, i == 0 ? 0xFFFFFFFD : i == 1 || i == 9 ? 0xFFFFFFFE : i < 9 ? i + 1 : 0xFFFFFFFF, 4);
    const auto entry = [&](int id, const std::string& name, int type, std::uint32_t left, std::uint32_t child,
                           std::uint32_t start, std::uint32_t size) {
        const std::size_t at = 1024 + 128 * id;
        for (std::size_t i = 0; i < name.size(); ++i) f[at + 2 * i] = name[i];
        put(at + 0x40, name.empty() ? 0 : (name.size() + 1) * 2, 2);
        f[at + 0x42] = static_cast<char>(type);
        put(at + 0x44, left, 4), put(at + 0x48, 0xFFFFFFFF, 4), put(at + 0x4C, child, 4);
        put(at + 0x74, start, 4), put(at + 0x78, size, 4);
    };
    entry(0, "Root Entry", 5, 0xFFFFFFFF, 2, 0xFFFFFFFE, 0);
    entry(1, "CompObj", 2, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFE, 0);
    entry(2, stream, 2, 1, 0xFFFFFFFF, 2, 4096);
    entry(3, "", 0, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0);
    for (std::size_t i = 1536; i < f.size(); ++i) f[i] = static_cast<char>(i * 7);
    return f;
}

std::string rar5(const std::string& name, const std::string& data) {
    const auto block = [](const std::string& body, const std::string& area) {
        const std::string sized = vint(body.size()) + body;
        return le(crc(sized), 4) + sized + area;
    };
    return std::string("Rar!\x1A\x07\x01\x00", 8) + block(vint(1) + vint(0) + vint(0), "") +
           block(vint(2) + vint(2) + vint(data.size()) + vint(0) + vint(data.size()) + vint(0x20) + vint(0) +
                     vint(0) + vint(name.size()) + name, data) +
           block(vint(5) + vint(0) + vint(0), "");
}

std::string rar4(const std::string& name, const std::string& data) {
    const auto block = [](int type, int flags, const std::string& rest, const std::string& area) {
        const std::string h = static_cast<char>(type) + le(flags, 2) + le(7 + rest.size(), 2) + rest;
        return le(crc(h) & 0xFFFF, 2) + h + area;
    };
    return std::string("Rar!\x1A\x07\x00", 7) + block(0x73, 0, le(0, 6), "") +
           block(0x74, 0x8000, le(data.size(), 4) + le(data.size(), 4) + '\x02' + le(crc(data), 4) + le(0, 4) +
                     '\x14' + '\x30' + le(name.size(), 2) + le(0x20, 4) + name, data) +
           block(0x7B, 0x4000, "", "");
}

// Two updates on a finished PDF: one with an xref table, one with an xref stream.
std::string updated(std::string pdf) {
    const std::size_t key = pdf.rfind("startxref");
    const std::string prev = std::to_string(std::stoul(pdf.substr(key + 10)));
    const std::string object = std::to_string(pdf.size()), xref1 = std::to_string(pdf.size() + 26);
    pdf += "11 0 obj\n(Updated)\nendobj\nxref\n11 1\n" + std::string(10 - object.size(), '0') + object +
           " 00000 n \ntrailer\n<< /Size 12 /Root 1 0 R /Prev " + prev + " >>\nstartxref\n" + xref1 + "\n%%EOF\n";
    const std::size_t at = pdf.size();
    pdf += "12 0 obj\n<< /Type /XRef /Size 13 /W [1 4 1] /Index [12 1] /Root 1 0 R /Prev " + xref1 +
           " /Length 6 >>\nstream\n\x01" + std::string(1, '\0') + static_cast<char>(at >> 16) +
           static_cast<char>(at >> 8) + static_cast<char>(at) + std::string(1, '\0') + "\nendstream\nendobj\n";
    return pdf + "startxref\n" + std::to_string(at) + "\n%%EOF\n";
}

std::size_t startxref_digits(const std::string& pdf) { return pdf.rfind("startxref") + 10; }

void verify(const std::vector<Sample>& samples) {
    for (std::size_t s = 0; s < samples.size(); ++s) {
        const Sample& sample = samples[s];
        const std::string& file = sample.bytes;
        // What the card holds next: the following sample.
        const std::string run = carved_run(file, samples[(s + 1) % samples.size()].bytes);
        std::string damaged = file;
        damaged.replace(sample.field, sample.field_length, std::string(sample.field_length, '\0'));
        for (const auto& [type, unit] : kServed) {
            SCOPED_TRACE(sample.name + " as " + type);
            const finish::Verdict v = check(unit, run, type);
            if (sample.types.count(type) != 0) {
                EXPECT_EQ(v.status, Status::confirmed);
                EXPECT_EQ(v.end, file.size());
            } else {
                EXPECT_NE(v.status, Status::confirmed);
            }
            const finish::Verdict field = check(unit, carved_run(damaged), type);
            EXPECT_TRUE(field.status != Status::confirmed || field.end == 0) << field.end;
            // Cut by the next header: no end but the real one may be named (a page count
            // still names it when the padding reaches that far).
            for (const std::size_t cut : {file.size() / 2, file.size() - 40}) {
                const finish::Verdict v2 = check(unit, carved_run(file.substr(0, cut)), type);
                EXPECT_TRUE(v2.status != Status::confirmed || v2.end == 0 || v2.end == file.size()) << cut;
            }
        }
    }
}

TEST(FinishDocuments, HandBuiltSamples) {
    const std::string five = rar5("notes.txt", std::string(700, 'r')), four = rar4("notes.txt", std::string(900, 'q'));
    verify({{"doc", {"doc"}, ole2("WordDocument"), 0x2C, 4},
            {"xls", {"xls"}, ole2("Workbook"), 0x30, 4},
            {"ppt", {"ppt"}, ole2("PowerPoint Document"), 0x2C, 4},
            {"rar5", {"rar"}, five, five.size() - 8, 4},  // the end block's CRC
            {"rar4", {"rar"}, four, four.size() - 7, 2}});
    for (const auto& [type, unit] : kServed) {  // garbage and empty runs
        EXPECT_EQ(check(unit, carved_run("not a document at all"), type).status, Status::rejected) << type;
        EXPECT_EQ(check(unit, "", type).status, Status::rejected) << type;
    }
}

TEST(FinishDocuments, ToolMadeSamples) {
    for (const std::string tool : {"gs", "pandoc", "ssconvert", "zip", "7z", "gzip", "sqlite3", "tar"})
        if (!have(tool)) GTEST_SKIP() << tool << " is not installed";
    TempFolder dir;
    const std::string in = "cd " + quote(dir.path()) + " && ";
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "line " + std::to_string(i * i) + " of the sample text\n";
    dir.write("a.txt", text);
    dir.write("a.md", "# Title\n\nSome *text* here.\n\n- one\n- two\n");
    dir.write("a.csv", "name,value\nalpha,1\nbeta,2\n");
    const std::string page = "/Helvetica findfont 20 scalefont setfont 72 720 moveto (Hello) show showpage ";
    must(in + "gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -sOutputFile=a.pdf -c " + quote(page));
    must(in + "gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dFastWebView=true -sOutputFile=l.pdf -c " +
         quote(page + page) + " >/dev/null");
    for (const std::string out : {"docx", "pptx", "odt", "epub", "rtf"})
        must(in + "pandoc -s a.md --metadata title=Sample -o a." + out);
    must(in + "ssconvert a.csv a.xlsx && ssconvert a.csv a.ods && ssconvert a.csv a.xls");
    must(in + "ssconvert -T Gnumeric_Excel:excel_biff7 a.csv b.xls");
    must(in + "zip -q plain.zip a.txt a.md && echo 'a comment' | zip -q -z comment.zip a.txt a.csv");
    must(in + "zip -q -fd stream.zip a.txt a.md && head -c 70000 /dev/urandom > r.bin");
    must(in + "7z a -bd a.7z a.txt a.md >/dev/null && tar -b1 -cf a.tar a.txt a.md r.bin");
    must(in + "gzip -c a.txt > a.gz && gzip -c r.bin > m.gz && gzip -c a.csv >> m.gz");
    must(in + "sqlite3 a.sqlite 'create table t(a, b); insert into t values (1, randomblob(9000));'");
    const auto read = [&dir](const std::string& name) { return slurp(dir / name); };
    const std::string pdf = read("a.pdf"), linear = read("l.pdf"), incremental = updated(pdf), gz = read("m.gz");
    const auto eocd = [&read](const std::string& name) { return read(name).rfind("PK\x05\x06") + 16; };
    verify({{"pdf", {"pdf"}, pdf, startxref_digits(pdf), 4},
            {"linearized", {"pdf"}, linear, startxref_digits(linear), 3},
            {"incremental", {"pdf"}, incremental, startxref_digits(incremental), 4},
            {"docx", {"zip", "docx"}, read("a.docx"), eocd("a.docx"), 4},
            {"pptx", {"zip", "pptx"}, read("a.pptx"), eocd("a.pptx"), 4},
            {"xlsx", {"zip", "xlsx"}, read("a.xlsx"), eocd("a.xlsx"), 4},
            {"odt", {"zip", "odt"}, read("a.odt"), eocd("a.odt"), 4},
            {"ods", {"zip", "ods"}, read("a.ods"), eocd("a.ods"), 4},
            {"epub", {"zip", "epub"}, read("a.epub"), eocd("a.epub"), 4},
            {"zip", {"zip"}, read("plain.zip"), eocd("plain.zip"), 4},
            {"commented", {"zip"}, read("comment.zip"), eocd("comment.zip"), 4},
            {"descriptors", {"zip"}, read("stream.zip"), eocd("stream.zip"), 4},
            {"xls", {"xls"}, read("a.xls"), 0x2C, 4},
            {"xls95", {"xls"}, read("b.xls"), 0x2C, 4},
            {"7z", {"7z"}, read("a.7z"), 12, 8},
            {"gz", {"gz"}, read("a.gz"), read("a.gz").size() - 4, 4},
            {"tar", {"tar"}, read("a.tar"), 148, 8},
            {"members", {"gz"}, gz, gz.size() - 4, 4},
            {"sqlite", {"sqlite"}, read("a.sqlite"), 92, 4},
            {"rtf", {"rtf"}, read("a.rtf"), read("a.rtf").rfind('}'), 1}});
}

// LibreOffice's own files (data/office/make.sh): Word and PowerPoint 97-2003, and
// Office Open XML that does not begin with [Content_Types].xml.
TEST(FinishDocuments, OfficeMadeSamples) {
    const auto read = [](const std::string& name) {
        return slurp(std::string(SALVEX_SOURCE_DIR) + "/tests/data/office/" + name);
    };
    const auto eocd = [&read](const std::string& name) { return read(name).rfind("PK\x05\x06") + 16; };
    verify({{"doc", {"doc"}, read("letter.doc"), 0x2C, 4},
            {"ppt", {"ppt"}, read("slides.ppt"), 0x2C, 4},
            {"odp", {"zip", "odp"}, read("slides.odp"), eocd("slides.odp"), 4},
            {"docx", {"zip", "docx"}, read("letter-lo.docx"), eocd("letter-lo.docx"), 4},
            {"pptx", {"zip", "pptx"}, read("slides-lo.pptx"), eocd("slides-lo.pptx"), 4}});
}

}  // namespace
}  // namespace salvex::test
