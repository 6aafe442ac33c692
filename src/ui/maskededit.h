#pragma once

#include <QString>

class QLineEdit;

// The start-number field is a masked edit whose unfilled positions count: "12 4" is not "124".
// QLineEdit::text() drops them; these read and write the text with each blank as a space.
QString MaskedEditText(const QLineEdit& edit);
void SetMaskedEditText(QLineEdit& edit, const QString& text);
