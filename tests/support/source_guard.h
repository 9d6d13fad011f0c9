#pragma once
// Stands between a scan and its source: every stream the scan opens must read
// only, and any write through one is counted (and refused).
#include <fcntl.h>
#include <stdio.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <memory>

#include "app/my_table_controller.h"

namespace salvex::test {

class SourceGuard {
public:
    struct Counts {
        std::atomic<int> opens{0}, writable_opens{0}, writes{0};
        // A read that starts at or past this byte waits until released, once.
        std::atomic<std::int64_t> pause_at{-1};
        std::atomic<bool> paused{false}, released{false};
    };
    void pause_at_sector(std::int64_t sector) { counts_->pause_at = sector * 512; }
    bool paused() const { return counts_->paused; }
    void release() { counts_->released = true; }

    MyTableController::SourceOpener wrap(MyTableController::SourceOpener inner) {
        return [inner = std::move(inner), counts = counts_](const std::string& path, char* buffer, std::size_t size) -> std::FILE* {
            std::FILE* source = inner(path, buffer, size);
            if (source == nullptr) return nullptr;
            ++counts->opens;
            const int fd = ::fileno(source);  // -1 for a test's own cookie stream
            if (fd >= 0 && (::fcntl(fd, F_GETFL) & O_ACCMODE) != O_RDONLY) ++counts->writable_opens;
            auto* cookie = new Cookie{source, counts};
            cookie_io_functions_t io{};
            io.read = [](void* c, char* out, std::size_t n) -> ssize_t {
                auto* k = static_cast<Cookie*>(c);
                const std::int64_t at = k->counts->pause_at;
                if (at >= 0 && ::ftello(k->inner) >= at && !k->counts->paused.exchange(true))
                    while (!k->counts->released) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                const std::size_t got = std::fread(out, 1, n, k->inner);
                return got == 0 && std::ferror(k->inner) ? -1 : static_cast<ssize_t>(got);
            };
            io.write = [](void* c, const char*, std::size_t) -> ssize_t {
                ++static_cast<Cookie*>(c)->counts->writes;
                return -1;
            };
            io.seek = [](void* c, off64_t* offset, int whence) -> int {
                auto* k = static_cast<Cookie*>(c);
                std::clearerr(k->inner);
                if (::fseeko(k->inner, *offset, whence) != 0) return -1;
                *offset = ::ftello(k->inner);
                return 0;
            };
            io.close = [](void* c) -> int {
                auto* k = static_cast<Cookie*>(c);
                const int r = std::fclose(k->inner);
                delete k;
                return r;
            };
            std::FILE* guarded = ::fopencookie(cookie, "rb", io);
            // Unbuffered, so each read of the scan is exactly one read of the source,
            // and a failed sector fails the same read it would fail unguarded.
            if (guarded != nullptr) std::setvbuf(guarded, nullptr, _IONBF, 0);
            return guarded;
        };
    }
    const Counts& counts() const { return *counts_; }

private:
    struct Cookie {
        std::FILE* inner;
        std::shared_ptr<Counts> counts;
    };
    std::shared_ptr<Counts> counts_ = std::make_shared<Counts>();
};

}  // namespace salvex::test
