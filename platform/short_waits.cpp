#include "platform/short_waits.h"

#if defined(__linux__)
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#endif

namespace salvex::platform {

#if defined(__linux__) && defined(SYS_sched_setattr)
namespace {
// The kernel's own layout (linux/sched/types.h); glibc 2.36 has no wrapper.
struct SchedAttr {
    std::uint32_t size;
    std::uint32_t sched_policy;
    std::uint64_t sched_flags;
    std::int32_t sched_nice;
    std::uint32_t sched_priority;
    std::uint64_t sched_runtime;
    std::uint64_t sched_deadline;
    std::uint64_t sched_period;
};
constexpr std::uint64_t kSliceNs = 1'000'000;  // a millisecond; kernels default to between 0.75 and 3

// The same policy and niceness, so that nothing is asked that needs a privilege;
// runtime 0 is the kernel's default slice.
void set_slice(std::uint64_t nanoseconds) {
    if (::sched_getscheduler(0) != SCHED_OTHER) return;  // someone chose otherwise; leave it
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)));
    if (errno != 0) return;
    SchedAttr attr{};
    attr.size = sizeof attr;
    attr.sched_policy = SCHED_OTHER;
    attr.sched_nice = nice;
    attr.sched_runtime = nanoseconds;
    ::syscall(SYS_sched_setattr, 0, &attr, 0);
}
}  // namespace

void prefer_short_waits() { set_slice(kSliceNs); }
void use_default_slices() { set_slice(0); }
#else
void prefer_short_waits() {}
void use_default_slices() {}
#endif

}  // namespace salvex::platform
