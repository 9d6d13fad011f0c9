#pragma once
// Carved runs for the finishing units: a real file as the carving rule leaves it,
// followed by whatever the card held next, to the end of its last sector.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/finish/unit.h"
#include "support/shell.h"

namespace salvex::test {

// The file, then `after`, cut or padded (with a fixed pattern) to `sectors`
// whole sectors; by default one sector more than the file needs.
inline std::string carved_run(const std::string& file, const std::string& after = {}, std::size_t sectors = 0) {
    if (sectors == 0) sectors = file.size() / 512 + 2;
    std::string run = file + after;
    for (std::size_t i = run.size(); i < sectors * 512; ++i) run += static_cast<char>((i * 37 + 11) % 253);
    run.resize(sectors * 512);
    return run;
}

inline finish::Verdict check(finish::Unit unit, std::string_view bytes, std::string_view type) {
    finish::MemorySource source(bytes.data(), bytes.size());
    return unit(source, type);
}

// Whether a command the samples need is on this machine.
inline bool have(const std::string& tool) { return run("command -v " + quote(tool)).status == 0; }

}  // namespace salvex::test
