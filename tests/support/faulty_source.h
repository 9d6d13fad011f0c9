#pragma once
// A read-only image source that misbehaves like a worn card, for
// MyTableController::source_opener. Chosen sectors answer EIO (always or a number
// of times), seeks can be made to fail, and one read can be held at a chosen
// sector until the test lets it go, so a test can act at an exact point.
//
// The engine reads through a stdio buffer of megabytes, so each read here is a
// big request: like a disk, it returns what lies before the next bad sector
// first and fails only a request that starts in a bad sector. A failed read
// leaves the position where it was, as read(2) does.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "app/my_table_controller.h"

namespace salvex::test {

class FaultySource {
public:
    static constexpr int kAlways = -1;
    static constexpr std::uint64_t kSector = 512;

    FaultySource() : state_(std::make_shared<State>()) {}
    // Lets a held read go, so no scan waits on a test that has ended.
    ~FaultySource() { release(); }
    FaultySource(const FaultySource&) = delete;
    FaultySource& operator=(const FaultySource&) = delete;

    // Reads that start in the sector fail with EIO this many times.
    void fail_sector(std::uint64_t sector, int times = kAlways) {
        std::lock_guard lock(state_->mutex);
        state_->bad[sector] = times;
    }
    // A read whose span holds a bad sector fails whole, as a device's bulk read
    // does, instead of stopping short before it.
    void fail_whole_requests() {
        std::lock_guard lock(state_->mutex);
        state_->whole_requests = true;
    }
    // From this sector on the source is gone (a card pulled out): reads there
    // fail with `error`, such as ENXIO or ENODEV.
    void vanish_at(std::uint64_t sector, int error) {
        std::lock_guard lock(state_->mutex);
        state_->gone = {sector, error};
    }
    void fail_seeks(bool on = true) {
        std::lock_guard lock(state_->mutex);
        state_->seeks_fail = on;
    }
    // The first read that starts at the sector waits for release().
    void pause_at(std::uint64_t sector) {
        std::lock_guard lock(state_->mutex);
        state_->pause = sector;
        state_->released = false;
    }
    bool paused() const {
        std::lock_guard lock(state_->mutex);
        return state_->paused;
    }
    void release() {
        {
            std::lock_guard lock(state_->mutex);
            state_->released = true;
        }
        state_->changed.notify_all();
    }

    int failed_reads() const { return state_->failed_reads; }
    int failed_seeks() const { return state_->failed_seeks; }
    int opens() const { return state_->opens; }

    MyTableController::SourceOpener opener() const {
        return [state = state_](const std::string& path, char* buffer, std::size_t size) -> std::FILE* {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) return nullptr;
            auto* cookie = new Cookie{state, fd, 0};
            const cookie_io_functions_t functions{
                .read = &FaultySource::cookie_read, .write = nullptr, .seek = &FaultySource::cookie_seek,
                .close = &FaultySource::cookie_close};
            std::FILE* stream = ::fopencookie(cookie, "rb", functions);
            if (stream == nullptr) {
                const int error = errno;
                ::close(fd);
                delete cookie;
                errno = error;
                return nullptr;
            }
            std::setvbuf(stream, buffer, _IOFBF, size);
            ++state->opens;
            return stream;
        };
    }

private:
    struct State {
        mutable std::mutex mutex;
        std::condition_variable changed;
        std::map<std::uint64_t, int> bad;  // sector -> failures left, kAlways for no end
        bool seeks_fail = false, whole_requests = false;
        std::optional<std::pair<std::uint64_t, int>> gone;  // first sector, errno
        std::optional<std::uint64_t> pause;
        bool paused = false, released = false;
        std::atomic<int> failed_reads{0}, failed_seeks{0}, opens{0};
    };
    struct Cookie {
        std::shared_ptr<State> state;
        int fd;
        off64_t position;
    };

    static ssize_t cookie_read(void* raw, char* buffer, std::size_t size) {
        Cookie& cookie = *static_cast<Cookie*>(raw);
        State& s = *cookie.state;
        const std::uint64_t position = static_cast<std::uint64_t>(cookie.position);
        const std::uint64_t first = position / kSector;
        std::uint64_t allowed = size;
        {
            std::unique_lock lock(s.mutex);
            if (s.pause && *s.pause == first) {
                s.paused = true;
                s.changed.notify_all();
                // A hang guard only: a test that forgets to let go still ends.
                s.changed.wait_for(lock, std::chrono::seconds(20), [&s] { return s.released; });
                s.paused = false;
                s.pause.reset();
            }
            if (s.gone && first >= s.gone->first) {
                errno = s.gone->second;
                return -1;
            }
            const auto bad = s.bad.find(first);
            if (bad != s.bad.end() && bad->second != 0) {
                if (bad->second > 0) --bad->second;
                ++s.failed_reads;
                errno = EIO;
                return -1;
            }
            std::uint64_t stop = std::numeric_limits<std::uint64_t>::max();
            for (auto it = s.bad.upper_bound(first); it != s.bad.end(); ++it) {
                if (it->second != 0) {
                    stop = it->first;
                    break;
                }
            }
            if (s.whole_requests && stop != std::numeric_limits<std::uint64_t>::max() && stop * kSector < position + size) {
                ++s.failed_reads;
                errno = EIO;
                return -1;
            }
            if (s.pause && *s.pause > first) stop = std::min(stop, *s.pause);
            if (s.gone) stop = std::min(stop, s.gone->first);
            if (stop != std::numeric_limits<std::uint64_t>::max())
                allowed = std::min(allowed, stop * kSector - position);
        }
        const ssize_t n = ::pread(cookie.fd, buffer, static_cast<std::size_t>(allowed), cookie.position);
        if (n > 0) cookie.position += n;
        return n;
    }

    static int cookie_seek(void* raw, off64_t* offset, int whence) {
        Cookie& cookie = *static_cast<Cookie*>(raw);
        {
            std::lock_guard lock(cookie.state->mutex);
            if (cookie.state->seeks_fail) {
                ++cookie.state->failed_seeks;
                errno = EIO;
                return -1;
            }
        }
        off64_t base = 0;
        if (whence == SEEK_CUR) {
            base = cookie.position;
        } else if (whence == SEEK_END) {
            struct stat st {};
            if (::fstat(cookie.fd, &st) != 0) return -1;
            base = st.st_size;
        }
        const off64_t target = base + *offset;
        if (target < 0) {
            errno = EINVAL;
            return -1;
        }
        cookie.position = target;
        *offset = target;
        return 0;
    }

    static int cookie_close(void* raw) {
        auto* cookie = static_cast<Cookie*>(raw);
        const int result = ::close(cookie->fd);
        delete cookie;
        return result;
    }

    std::shared_ptr<State> state_;
};

}  // namespace salvex::test
