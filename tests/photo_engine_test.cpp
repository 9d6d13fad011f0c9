// The photo engine over small images built sector by sector.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/globals.h"
#include "engine/messages.h"
#include "support/scan_harness.h"

namespace {

namespace fs = std::filesystem;
using salvex::test::record;
using salvex::test::ScanHarness;

// Sectors of an image: filler bytes with a header written at a chosen place.
class Image {
public:
    explicit Image(std::size_t sectors) : bytes_(sectors * 512, 0) {}
    Image& fill(std::size_t sector, std::uint8_t value) {
        std::fill_n(bytes_.begin() + static_cast<long>(sector * 512), 512, value);
        return *this;
    }
    Image& put(std::size_t sector, std::size_t offset, std::initializer_list<std::uint8_t> data) {
        std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<long>(sector * 512 + offset));
        return *this;
    }
    std::string save(const salvex::test::TempFolder& dir, const std::string& name = "card.img") const {
        return dir.write(name, std::string(bytes_.begin(), bytes_.end()));
    }
    std::string sector(std::size_t s) const { return std::string(bytes_.begin() + static_cast<long>(s * 512), bytes_.begin() + static_cast<long>(s * 512 + 512)); }
    std::size_t sectors() const { return bytes_.size() / 512; }

private:
    std::vector<std::uint8_t> bytes_;
};

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PhotoEngine, SmokeCarvesTwoFilesSplitByTheSecondHeader) {
    ScanHarness h(record("JPG", 1 << 20, "FFD8FFE0"));
    Image img(8);
    img.put(0, 0, {0xFF, 0xD8, 0xFF, 0xE0}).fill(1, 7).fill(2, 9).put(3, 0, {0xFF, 0xD8, 0xFF, 0xE0}).fill(4, 1);
    h.choose(img.save(h.home), img.sectors(), h.home / "out");
    h.start();
    ASSERT_TRUE(h.run_until_done());
    const std::string jpg = h.pass_folder(true) + "/JPG/";
    const std::string first = read_file(jpg + "GND00001.JPG");
    const std::string second = read_file(jpg + "GND00002.JPG");
    ASSERT_EQ(first.size(), 4u * 512);
    EXPECT_EQ(first.substr(0, 512), img.sector(0));
    EXPECT_EQ(first.substr(3 * 512), img.sector(3));
    ASSERT_EQ(second.size(), 5u * 512);  // to the end of the range, blank sectors included
    EXPECT_EQ(second.substr(512, 512), img.sector(4));
    EXPECT_EQ(h.controller.scan_outcome.load(), ScanOutcome::Completed);
    EXPECT_EQ(h.controller.images.size(), 2u);
}

}  // namespace
