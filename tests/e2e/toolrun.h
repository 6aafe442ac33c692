#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include "childprocess.h"
#include "waituntil.h"

// What a helper program (xdotool, xwininfo, import ...) answered.
struct TToolResult {
    bool Finished = false; // ended on its own within the time allowed
    int ExitCode = -1;
    QByteArray Output; // standard output, with standard error when merged

    bool Ok() const { return Finished && ExitCode == 0; }
};

// Runs `program` to its end (killed after `timeoutMs`) with exactly `environment`. Its standard
// error goes where the test's own goes unless `errors` merges it into the output read.
TToolResult RunTool(const QString& program, const QStringList& arguments,
                    const QProcessEnvironment& environment, int timeoutMs = 10000,
                    TChildProcess::TErrors errors = TChildProcess::TErrors::Inherited);
