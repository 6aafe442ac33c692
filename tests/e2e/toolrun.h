#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What a helper program (xdotool, xwininfo, import ...) answered.
struct TToolResult {
    bool Finished = false; // ended on its own within the time allowed
    int ExitCode = -1;
    QByteArray Output; // standard output
    QByteArray Errors; // standard error

    bool Ok() const { return Finished && ExitCode == 0; }
};

// Runs `program` to its end (killed after `timeoutMs`) with exactly `environment`.
TToolResult RunTool(const QString& program, const QStringList& arguments,
                    const QProcessEnvironment& environment, int timeoutMs = 10000);

// Milliseconds since an arbitrary start, for deadlines.
qint64 NowMs();

// Polls `condition` every `stepMs` until it holds or `timeoutMs` has passed; true if it held.
template <typename TCondition> bool WaitUntil(TCondition condition, int timeoutMs, int stepMs = 20);

void SleepMs(int ms);

template <typename TCondition> bool WaitUntil(TCondition condition, int timeoutMs, int stepMs) {
    const qint64 deadline = NowMs() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (NowMs() >= deadline)
            return false;
        SleepMs(stepMs);
    }
}
