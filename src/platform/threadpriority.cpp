#include "platform/threadpriority.h"

#include <algorithm>
#include <cerrno>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

pid_t ThreadId() {
    return pid_t(syscall(SYS_gettid));
}

// Steps from the process's own nice value for the positions 0..6 of the priority track bar (0 is
// handled as SCHED_IDLE, 3 leaves the thread as it is). Steps, not absolute values: under a
// program started with `nice -n 10`, "low" must still be lower than normal.
constexpr int NiceStep[7] = {0, 10, 5, 0, -5, -10, -20};
constexpr int HighestNice = -20;
constexpr int LowestNice = 19;

} // namespace

void ApplyThreadPriority(int position) {
    if (position < 0 || position > 6 || position == 3)
        return;
    // A refused raise is silent: it must not leave its error code for the save to report.
    struct TKeepErrno {
        int Value = errno;
        ~TKeepErrno() { errno = Value; }
    } keepErrno;
    const pid_t thread = ThreadId();
    if (position == 0) {
        sched_param param{};
        param.sched_priority = 0;
        sched_setscheduler(thread, SCHED_IDLE, &param);
        return;
    }
    // getpriority may return -1 as a value; only errno tells a failure.
    errno = 0;
    const int processNice = getpriority(PRIO_PROCESS, id_t(getpid()));
    const int threadNice = getpriority(PRIO_PROCESS, id_t(thread));
    if (errno != 0)
        return;
    const int target = std::clamp(processNice + NiceStep[position], HighestNice, LowestNice);
    // On Linux a nice value set for a thread id applies to that thread alone. Raising the
    // priority needs a privilege or a nice limit the user may not have; then the thread goes as
    // far as the system allows, and stays as it is when that is nothing.
    for (int nice = target; nice == target || nice < threadNice; ++nice) {
        if (setpriority(PRIO_PROCESS, id_t(thread), nice) == 0 ||
            (errno != EACCES && errno != EPERM))
            return;
    }
}
