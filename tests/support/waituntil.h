#pragma once

#include <QDeadlineTimer>
#include <QThread>
#include <QtCore/qtestsupport_core.h>

// Polls `condition` every `stepMs` until it holds or `timeoutMs` has passed; true if it held.
// For waits without an event loop; where one runs, RunUntil keeps it turning.
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

// Runs this thread's events, where the objects under test answer, until `condition` holds;
// true if it did. The time allowed is generous: only an event that never comes uses it up.
template <typename TCondition> bool RunUntil(TCondition condition, int timeoutMs = 60000) {
    return QTest::qWaitFor(condition, timeoutMs);
}
