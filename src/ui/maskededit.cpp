#include "ui/maskededit.h"

#include <QLineEdit>
#include <QRegularExpression>

namespace {
// The blank character is what follows the last ";" of an input mask.
QChar BlankOf(const QLineEdit& edit) {
    const QString mask = edit.inputMask();
    const qsizetype separator = mask.lastIndexOf(QLatin1Char(';'));
    return separator >= 0 && separator + 1 < mask.size() ? mask.at(separator + 1)
                                                         : QLatin1Char(' ');
}
} // namespace

QString MaskedEditText(const QLineEdit& edit) {
    if (edit.inputMask().isEmpty())
        return edit.text();
    QString text = edit.displayText();
    text.replace(BlankOf(edit), QLatin1Char(' '));
    return text;
}

void SetMaskedEditText(QLineEdit& edit, const QString& text) {
    const QString trimmed = QString(text).remove(QRegularExpression(QStringLiteral(" +$")));
    if (edit.inputMask().isEmpty() || !trimmed.contains(QLatin1Char(' '))) {
        edit.setText(trimmed);
        return;
    }
    // A required-digit mask closes gaps on setText; typing into each position keeps them.
    edit.setText(QString());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char(' '))
            continue;
        edit.setCursorPosition(int(i));
        edit.insert(QString(text.at(i)));
    }
}
