#pragma once
// Card images built sector by sector, and reading back what a scan left behind.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace salvex::test {

class SectorImage {
public:
    static constexpr std::size_t kSector = 512;

    // Every sector differs from every other, none is all zeros and none starts
    // with a byte a test header begins with (0x00, 0xFF), so only what a test
    // puts there is found.
    explicit SectorImage(std::size_t sectors) : bytes_(sectors * kSector) {
        for (std::size_t s = 0; s < sectors; ++s) {
            for (std::size_t i = 0; i < kSector; ++i)
                bytes_[s * kSector + i] = static_cast<char>((s * 131 + i * 7) % 251 + 1);
            for (std::size_t b = 0; b < 4; ++b) bytes_[s * kSector + 8 + b] = static_cast<char>((s >> (8 * b)) & 0xFF);
        }
    }

    // The header bytes at the sector's start; the rest of the sector keeps its pattern.
    SectorImage& header(std::size_t sector, const std::vector<std::uint8_t>& data) {
        std::size_t at = sector * kSector;
        for (const std::uint8_t b : data) bytes_[at++] = static_cast<char>(b);
        return *this;
    }
    SectorImage& zero(std::size_t sector) {
        std::fill_n(bytes_.begin() + static_cast<long>(sector * kSector), kSector, '\0');
        return *this;
    }
    SectorImage& copy(std::size_t from, std::size_t to) {
        std::copy_n(bytes_.begin() + static_cast<long>(from * kSector), kSector,
                    bytes_.begin() + static_cast<long>(to * kSector));
        return *this;
    }

    std::size_t sectors() const { return bytes_.size() / kSector; }
    std::string sector(std::size_t s) const { return range(s, s + 1); }
    // Sectors [first, end) joined.
    std::string range(std::size_t first, std::size_t end) const {
        return std::string(bytes_.begin() + static_cast<long>(first * kSector),
                           bytes_.begin() + static_cast<long>(end * kSector));
    }
    const std::vector<char>& bytes() const { return bytes_; }

    // Names each 512-byte piece of `content` by the first image sector equal to
    // it, runs joined ("0-4 4 4 6-12"); "?" for a piece found nowhere.
    std::string describe(const std::string& content) const {
        std::vector<long> found;
        for (std::size_t at = 0; at + kSector <= content.size(); at += kSector) {
            long index = -1;
            for (std::size_t s = 0; s < sectors() && index < 0; ++s)
                if (std::equal(content.begin() + static_cast<long>(at),
                               content.begin() + static_cast<long>(at + kSector),
                               bytes_.begin() + static_cast<long>(s * kSector)))
                    index = static_cast<long>(s);
            found.push_back(index);
        }
        std::string text;
        for (std::size_t i = 0; i < found.size();) {
            std::size_t j = i;
            while (found[i] >= 0 && j + 1 < found.size() && found[j + 1] == found[j] + 1) ++j;
            if (!text.empty()) text += ' ';
            text += found[i] < 0 ? "?" : std::to_string(found[i]);
            if (j > i) text += "-" + std::to_string(found[j]);
            i = j + 1;
        }
        if (content.size() % kSector != 0) text += " +" + std::to_string(content.size() % kSector) + " bytes";
        return text;
    }

    std::string save(const std::string& path) const {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary).write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
        return path;
    }

private:
    std::vector<char> bytes_;
};

inline std::string read_whole_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Regular files anywhere under the folder, sorted; none when it does not exist.
inline std::vector<std::string> regular_files_under(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) return found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec))
        if (entry.is_regular_file()) found.push_back(entry.path().string());
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace salvex::test
