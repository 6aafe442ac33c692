#pragma once

#include <QDeadlineTimer>
#include <QThread>

// Polls `condition` every `stepMs` until it holds or `timeoutMs` has passed; true if it held.
// For waits without an event loop; where one runs, QTest::qWaitFor keeps it turning.
template <typename TCondition>
bool WaitUntil(TCondition condition, int timeoutMs, int stepMs = 20) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(static_cast<unsigned long>(stepMs));
    }
}
