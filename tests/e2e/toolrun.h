#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include "waituntil.h"

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

void SleepMs(int ms);
