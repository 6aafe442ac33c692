#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

// The output directory text is empty: no file name can be made.
class ENamingError : public std::runtime_error {
public:
    ENamingError();
};

// Tells the user why no file name could be made.
void ShowNamingError(const ENamingError& error);

// printf-style number format for a digit count: "%.4d" for 4.
QString NumberFormat(int digits);
// The number with at least `digits` digits, zero-padded; longer numbers are written in full.
QString FormatNumber(qint64 number, int digits);
// The decimal number at the start of a text: leading blanks skipped, reading stops at the
// first non-digit; 0 when the text does not start with a number.
qint64 ReadStartValue(const QString& text);
// The edit mask of the start field for a digit count: one required digit per position.
QString DigitEditMask(int digits);
// The start field's text for a new digit count: its value, cut by one digit when it no longer
// fits, zero-padded to the new width.
QString RewriteStartField(const QString& keptText, int newDigits);
// ".bmp" when BMP is chosen, otherwise ".jpg" when JPEG is, otherwise ".png".
QString ExtensionFor(bool bitmapOut, bool jpgOut);
// The directory text with a trailing "/"; raises ENamingError when it is empty.
QString DirectoryPart(const QString& directoryText);
// Whether a save that has not completed yet writes (or is about to write) a file the pattern
// names: until its file exists, only this keeps a new capture away from its name.
bool TakenByRunningSave(const QString& pattern, const QStringList& runningPaths);
// The path with the number that sits at [start, start + length) one higher, as the search would
// take it next: the number 10^length is skipped, as a widening skips it. `length` becomes the
// new number's length.
QString FollowingNumberedPath(const QString& path, int start, int& length);
// 10^digits.
qint64 PowerOfTen(int digits);

// One search for the first free numbered name.
struct TNameSearch {
    QString Directory; // with its trailing "/"
    QString BaseName;
    QString Extension;
    int Digits = 4;
    bool Automatic = false; // numbering starts at 1; otherwise at the value of StartText
    QString StartText;
    int RunningSaves = 0; // added to every candidate number
    // Whether the full path is taken (on disk, or by a running save). Once the first candidate
    // is taken, asked only for the numbers that no name in the folder spells.
    std::function<bool(const QString& path)> Taken;
    // Every number of the width is taken: the digit count grows to `newDigits`.
    std::function<void(int newDigits)> Widen;
};

// The first free file name (without directory) and the digit count it was made with.
struct TNameResult {
    QString FileName;
    int Digits = 0;
};
TNameResult SearchFileName(const TNameSearch& search);
