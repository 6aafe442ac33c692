#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

// The numbers the names in one folder take for a base name and an extension, from one reading of
// the folder: a name takes a number when a probe for base name + number + extension would find
// it, with `*` and `?` in the base name as wildcards. Only exact spellings count: a name that
// differs in letter case is left to the probe, which knows whether the folder tells case apart.
class TNumberedFiles {
public:
    // `directory` ends with "/"; the base name may hold further folders.
    TNumberedFiles(const QString& directory, const QString& baseName, const QString& extension);

    // The first number from `number` on whose name at this width no entry spells.
    qint64 FirstUnlisted(qint64 number, int digits);

private:
    // The digits of a name: the number, how many digits it was written with, and whether the
    // first of them is a padding zero.
    struct TNumeral {
        qint64 Value = 0;
        int Length = 0;
        bool Padded = false;
    };

    void AddNumerals(const char* entry);
    void AddWildcardNumerals(const QString& entry);
    void MarkWindow(qint64 start, int digits);

    QByteArray FPrefix; // the base name's last part, as the system spells it
    QString FPattern;   // the same with its wildcards, when it has any
    QByteArray FExtension;
    std::vector<TNumeral> FNumerals;
    // Which numbers from FWindowStart on the names spell at the width FWindowDigits. One more
    // place than there are names, so that it always holds a free number.
    std::vector<bool> FWindow;
    qint64 FWindowStart = 0;
    int FWindowDigits = -1;
};
