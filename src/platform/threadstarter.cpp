#include "platform/threadstarter.h"

#include <QThread>
#include <cerrno>

int TQtThreadStarter::Start(QThread& thread) {
    thread.start();
    if (thread.isRunning() || thread.isFinished())
        return 0;
    // Qt keeps the creation's own code to itself; this is what the system gives when it has
    // no room for another thread.
    return EAGAIN;
}
