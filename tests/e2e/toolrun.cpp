#include "toolrun.h"

TToolResult RunTool(const QString& program, const QStringList& arguments,
                    const QProcessEnvironment& environment, int timeoutMs,
                    TChildProcess::TErrors errors) {
    TToolResult result;
    TChildProcess process;
    if (!process.Start(program, arguments, environment, errors))
        return result;
    // Read as it comes: a tool writing more than a pipe holds would otherwise never end. Done
    // when the tool has ended, not when its output closes: a child it leaves behind (xclip's
    // server) may hold that open.
    const auto drain = [&] {
        while (process.ReadMore(result.Output, 0)) {
        }
    };
    const bool ended = WaitUntil(
        [&] {
            drain();
            return !process.Running();
        },
        timeoutMs, 2);
    drain();
    const std::optional<int> exitCode = ended ? process.ExitCodeWithin(0) : std::nullopt;
    result.Finished = exitCode.has_value();
    result.ExitCode = exitCode.value_or(-1);
    return result;
}
