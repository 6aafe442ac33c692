#include "capture/filenaming.h"

#include "capture/numberedfiles.h"
#include "platform/files/fileprobe.h"

#include <algorithm>
#include <optional>

namespace {
// Beyond this the numbers would not fit the counter; ten million files per width are taken
// long before.
constexpr int MaxDigits = 18;
} // namespace

ENamingError::ENamingError()
    : std::runtime_error("No output directory is set. Choose the directory to store the images "
                         "in on the Output tab.") {}

QString NumberFormat(int digits) {
    return QStringLiteral("%.") + QString::number(digits) + 'd';
}

QString FormatNumber(qint64 number, int digits) {
    QString text = QString::number(number < 0 ? -number : number);
    if (text.size() < digits)
        text.prepend(QString(digits - text.size(), QLatin1Char('0')));
    if (number < 0)
        text.prepend(QLatin1Char('-'));
    return text;
}

qint64 ReadStartValue(const QString& text) {
    int i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    qint64 value = 0;
    bool any = false;
    // Digits past MaxDigits are not read: no start field holds that many, and the value must
    // not overflow.
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128 &&
           value < PowerOfTen(MaxDigits - 1)) {
        value = value * 10 + (text[i].unicode() - '0');
        any = true;
        ++i;
    }
    return any ? value : 0;
}

QString DigitEditMask(int digits) {
    return QString(digits, QLatin1Char('9')) + QStringLiteral(";_");
}

QString RewriteStartField(const QString& keptText, int newDigits) {
    qint64 value = ReadStartValue(keptText);
    if (value >= PowerOfTen(newDigits))
        value /= 10;
    return FormatNumber(value, newDigits);
}

QString ExtensionFor(bool bitmapOut, bool jpgOut) {
    if (bitmapOut)
        return QStringLiteral(".bmp");
    if (jpgOut)
        return QStringLiteral(".jpg");
    return QStringLiteral(".png");
}

QString DirectoryPart(const QString& directoryText) {
    if (directoryText.isEmpty())
        throw ENamingError();
    if (directoryText.endsWith(QLatin1Char('/')))
        return directoryText;
    return directoryText + QLatin1Char('/');
}

bool TakenByRunningSave(const QString& pattern, const QStringList& runningPaths) {
    const int slash = pattern.lastIndexOf(QLatin1Char('/'));
    const QString folder = pattern.left(slash + 1);
    const QString name = pattern.mid(slash + 1);
    for (const QString& path : runningPaths) {
        const int pathSlash = path.lastIndexOf(QLatin1Char('/'));
        if (path.left(pathSlash + 1) == folder && WildcardMatch(name, path.mid(pathSlash + 1)))
            return true;
    }
    return false;
}

QString FollowingNumberedPath(const QString& path, int start, int& length) {
    qint64 next = ReadStartValue(path.mid(start, length)) + 1;
    if (next == PowerOfTen(length))
        ++next;
    const QString number = FormatNumber(next, length);
    const QString following = path.left(start) + number + path.mid(start + length);
    length = int(number.size());
    return following;
}

qint64 PowerOfTen(int digits) {
    qint64 power = 1;
    for (int i = 0; i < digits && i < MaxDigits; ++i)
        power *= 10;
    return power;
}

TNameResult SearchFileName(const TNameSearch& search) {
    int digits = search.Digits;
    qint64 k = search.Automatic ? 0 : ReadStartValue(search.StartText) - 1;
    // Read once the first candidate is taken: from then on only the numbers the folder's names
    // leave free are probed, however many files the folder holds. Each search reads the folder
    // anew, so whatever other programs did to it since the last capture counts.
    std::optional<TNumberedFiles> listed;
    for (;;) {
        QString name;
        do {
            ++k;
            if (listed && k < PowerOfTen(digits)) {
                const qint64 unlisted =
                    listed->FirstUnlisted(k + search.RunningSaves, digits) - search.RunningSaves;
                k = std::min(unlisted, PowerOfTen(digits));
            }
            name =
                search.BaseName + FormatNumber(k + search.RunningSaves, digits) + search.Extension;
            // The probe has the last word: the folder may tell letter case apart or not, and
            // names may have come since it was read.
            if (!search.Taken(search.Directory + name))
                break;
            if (!listed)
                listed.emplace(search.Directory, search.BaseName, search.Extension);
        } while (k < PowerOfTen(digits));
        // Reaching 10^N means the width is used up: one digit more, and the number 10^N
        // itself is skipped whether or not its file exists.
        if (k != PowerOfTen(digits) || digits >= MaxDigits)
            return {name, digits};
        ++digits;
        if (search.Widen)
            search.Widen(digits);
    }
}
