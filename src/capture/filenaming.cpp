#include "capture/filenaming.h"

#include "platform/files/fileprobe.h"

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
    for (;;) {
        QString name;
        do {
            ++k;
            name =
                search.BaseName + FormatNumber(k + search.RunningSaves, digits) + search.Extension;
            if (!search.Taken(search.Directory + name))
                break;
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
