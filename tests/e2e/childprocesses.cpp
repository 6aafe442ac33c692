#include "childprocesses.h"

TChildProcess* TChildProcesses::Start(const QString& program, const QStringList& arguments,
                                      const QProcessEnvironment& environment,
                                      const QString& logFile) {
    auto process = std::make_unique<TChildProcess>();
    if (!process->Start(program, arguments, environment, TChildProcess::TErrors::Merged,
                        logFile.isEmpty() ? QStringLiteral("/dev/null") : logFile))
        return nullptr;
    FProcesses.push_back(std::move(process));
    return FProcesses.back().get();
}
