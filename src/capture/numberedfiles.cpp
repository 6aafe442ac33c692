#include "capture/numberedfiles.h"

#include "platform/files/fileprobe.h"

#include <QFile>

#include <cstring>

namespace {

// The longest number a name can carry into a search: a 64-bit counter holds 18 digits.
constexpr int MaxLength = 18;

bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

TNumberedFiles::TNumberedFiles(const QString& directory, const QString& baseName,
                               const QString& extension)
    : FExtension(QFile::encodeName(extension)) {
    const QString path = directory + baseName;
    // A path the system cannot hold: the probe finds nothing under it, and neither may this.
    if (path.contains(QChar(0)))
        return;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = path.left(slash + 1);
    const QString prefix = path.mid(slash + 1);
    if (prefix.contains(QLatin1Char('*')) || prefix.contains(QLatin1Char('?'))) {
        // The probe matches wildcards against the names as text.
        FPattern = prefix;
        ForEachFolderEntry(folder, [this](const char* entry) {
            AddWildcardNumerals(QFile::decodeName(entry));
            return true;
        });
    } else {
        // The probe asks for the name's bytes: compared as bytes, without decoding every entry.
        FPrefix = QFile::encodeName(prefix);
        ForEachFolderEntry(folder, [this](const char* entry) {
            AddNumerals(entry);
            return true;
        });
    }
}

void TNumberedFiles::AddNumerals(const char* entry) {
    const auto size = qsizetype(std::strlen(entry));
    const qsizetype length = size - FPrefix.size() - FExtension.size();
    if (length < 1 || length > MaxLength ||
        std::memcmp(entry, FPrefix.constData(), std::size_t(FPrefix.size())) != 0 ||
        std::memcmp(entry + size - FExtension.size(), FExtension.constData(),
                    std::size_t(FExtension.size())) != 0)
        return;
    qint64 value = 0;
    for (const char* c = entry + FPrefix.size(); c != entry + FPrefix.size() + length; ++c) {
        if (*c < '0' || *c > '9')
            return;
        value = value * 10 + (*c - '0');
    }
    FNumerals.push_back({value, int(length), entry[FPrefix.size()] == '0'});
}

void TNumberedFiles::AddWildcardNumerals(const QString& entry) {
    const QString extension = QFile::decodeName(FExtension);
    if (!entry.endsWith(extension))
        return;
    // A wildcard can swallow digits, so every run of trailing digits is a number the name may
    // be found for: "SVX0012.jpg" is found by "S*0012.jpg" and by "S*12.jpg".
    const qsizetype end = entry.size() - extension.size();
    qint64 value = 0;
    qint64 scale = 1;
    for (qsizetype start = end - 1; start >= 0 && end - start <= MaxLength && IsDigit(entry[start]);
         --start) {
        value += (entry[start].unicode() - '0') * scale;
        scale *= 10;
        if (WildcardMatch(FPattern, entry.left(start)))
            FNumerals.push_back({value, int(end - start), entry[start] == QLatin1Char('0')});
    }
}

void TNumberedFiles::MarkWindow(qint64 start, int digits) {
    FWindow.assign(FNumerals.size() + 1, false);
    FWindowStart = start;
    FWindowDigits = digits;
    for (const TNumeral& numeral : FNumerals) {
        // A number is written with exactly `digits` digits, or in full when it has more: a
        // longer name with a leading zero is no name of this width.
        const bool ofThisWidth =
            numeral.Length == digits || (numeral.Length > digits && !numeral.Padded);
        if (ofThisWidth && numeral.Value >= start && numeral.Value - start < qint64(FWindow.size()))
            FWindow[std::size_t(numeral.Value - start)] = true;
    }
}

qint64 TNumberedFiles::FirstUnlisted(qint64 number, int digits) {
    if (digits != FWindowDigits || number < FWindowStart)
        MarkWindow(number, digits);
    for (;;) {
        const qint64 end = FWindowStart + qint64(FWindow.size());
        while (number < end && FWindow[std::size_t(number - FWindowStart)])
            ++number;
        if (number < end)
            return number;
        // Past the window (numbers the probe found taken): a fresh one from here.
        MarkWindow(number, digits);
    }
}
