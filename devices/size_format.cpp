#include "devices/size_format.h"

#include <cstdio>
#include <cstdlib>

#include "app/numbers.h"

std::string getMPSize(const std::string& bytes_text) {
    float v = std::strtof(bytes_text.c_str(), nullptr);
    const char* unit = "bytes";
    if (v > 1024) {
        v /= 1024;
        unit = " KB";
        if (v > 1024) { v /= 1024; unit = " MB"; }
        if (v > 1024) { v /= 1024; unit = " GB"; }
        if (v > 1024) { v /= 1024; unit = " TB"; }
    }
    char out[64];
    std::snprintf(out, sizeof out, "%.2f %s ", static_cast<double>(v), unit);
    return out;
}

std::string salvex::sector_count_text(const std::string& bytes_text) {
    const std::int64_t bytes = salvex::leading_number(bytes_text).as_signed();
    return std::to_string(static_cast<unsigned long long>(bytes / 512));
}

std::uint64_t salvex::image_sectors(std::uint64_t bytes) { return bytes / 512 + (bytes % 512 != 0 ? 1 : 0); }
