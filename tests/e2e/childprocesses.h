#pragma once

#include "childprocess.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// Every long-running program a test starts (the program under test, clipboard owners, Wayland
// clients). Whatever is still running at the end is killed.
class TChildProcesses {
public:
    // Starts a program; null when it cannot be started. What it prints goes to `logFile`, or
    // nowhere.
    TChildProcess* Start(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment, const QString& logFile = {});
    void StopAll() { FProcesses.clear(); }

private:
    std::vector<std::unique_ptr<TChildProcess>> FProcesses;
};
