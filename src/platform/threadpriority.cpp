#include "platform/threadpriority.h"

#include <cerrno>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

pid_t ThreadId() {
    return pid_t(syscall(SYS_gettid));
}

// Nice values for the positions 0..6 of the priority track bar (0 is handled as SCHED_IDLE).
constexpr int NiceFor[7] = {19, 10, 5, 0, -5, -10, -20};

} // namespace

void ApplyThreadPriority(int position) {
    if (position < 0 || position > 6 || position == 3)
        return;
    // A refused raise is silent: it must not leave its error code for the save to report.
    struct TKeepErrno {
        int Value = errno;
        ~TKeepErrno() { errno = Value; }
    } keepErrno;
    if (position == 0) {
        sched_param param{};
        param.sched_priority = 0;
        sched_setscheduler(ThreadId(), SCHED_IDLE, &param);
        return;
    }
    // On Linux a nice value set for a thread id applies to that thread alone. Raising the
    // priority needs a privilege the user may not have; then the thread simply stays as it is.
    setpriority(PRIO_PROCESS, id_t(ThreadId()), NiceFor[position]);
}

TThreadSchedule CurrentThreadSchedule() {
    TThreadSchedule schedule;
    schedule.Idle = sched_getscheduler(ThreadId()) == SCHED_IDLE;
    schedule.Nice = getpriority(PRIO_PROCESS, id_t(ThreadId()));
    return schedule;
}
