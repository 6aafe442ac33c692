#include "clipboardfeeder.h"

#include "testfiles.h"
#include "toolrun.h"

#include <QFile>

namespace {

const QString XclipProgram = QStringLiteral("xclip");

// -quiet keeps xclip in the foreground, so it stays our child and can be stopped by its id.
QStringList XclipArguments(const QString& file, const QString& type) {
    QStringList arguments{QStringLiteral("-selection"), QStringLiteral("clipboard"),
                          QStringLiteral("-quiet")};
    if (!type.isEmpty())
        arguments << QStringLiteral("-t") << type;
    arguments << QStringLiteral("-i") << file;
    return arguments;
}

} // namespace

TClipboardFeeder::TClipboardFeeder(TChildProcesses& children, QProcessEnvironment environment)
    : FChildren(children), FEnvironment(std::move(environment)) {}

bool TClipboardFeeder::CopyImageAndWaitForFetch(const QString& pngFile, int timeoutMs) {
    TChildProcess* xclip = FChildren.Start(XclipProgram,
                                           XclipArguments(pngFile, QStringLiteral("image/png"))
                                               << QStringLiteral("-loops") << QStringLiteral("1"),
                                           FEnvironment);
    if (xclip == nullptr)
        return false;
    const std::optional<int> exitCode = xclip->ExitCodeWithin(timeoutMs);
    return exitCode == 0;
}

bool TClipboardFeeder::OfferImage(const QString& pngFile) {
    return FChildren.Start(XclipProgram, XclipArguments(pngFile, QStringLiteral("image/png")),
                           FEnvironment) != nullptr &&
           WaitForOffer(QStringLiteral("image/png"));
}

bool TClipboardFeeder::OfferText(const QString& textFile) {
    return FChildren.Start(XclipProgram, XclipArguments(textFile, QString()), FEnvironment) !=
               nullptr &&
           WaitForOffer(QStringLiteral("UTF8_STRING"));
}

TChildProcess* TClipboardFeeder::RunOwner(const QStringList& arguments, int contents,
                                          const QString& log, int timeoutMs) {
    TChildProcess* owner =
        FChildren.Start(QStringLiteral(SVX_CLIPBOARD_OWNER), arguments, FEnvironment, log);
    const QByteArray held = QStringLiteral("owned %1\n").arg(contents).toLatin1();
    auto holdsLast = [&] { return ReadAll(log).contains(held); };
    const bool holds = owner != nullptr && WaitUntil(holdsLast, timeoutMs);
    return holds ? owner : nullptr;
}

TChildProcess* TClipboardFeeder::CopyOnWayland(const QString& pngFile) {
    return FChildren.Start(
        QStringLiteral("sh"),
        {QStringLiteral("-c"),
         QStringLiteral("exec wl-copy --foreground --type image/png < '%1'").arg(pngFile)},
        FEnvironment);
}

bool TClipboardFeeder::Offers(const QString& type) const {
    // Asking for the offered types is no transfer: it costs a serving owner nothing.
    const TToolResult offered =
        RunTool(XclipProgram,
                {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o"),
                 QStringLiteral("-t"), QStringLiteral("TARGETS")},
                FEnvironment, 3000);
    return offered.Ok() &&
           QString::fromUtf8(offered.Output).split(QLatin1Char('\n')).contains(type);
}

bool TClipboardFeeder::WaitForOffer(const QString& type) const {
    return WaitUntil([&] { return Offers(type); }, 5000);
}
