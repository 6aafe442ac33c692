#pragma once

#include <QMessageBox>
#include <QSize>
#include <QString>

// The size of the program's message box with this caption, text and icon, measured on a twin
// built in this process with the same style and fonts. A message box grows with its text, so a
// box of the twin's size says, within a few characters, what the twin says: the only way to
// read a box's text from outside that needs no accessibility bus.
QSize ReferenceBoxSize(const QString& caption, const QString& text, QMessageBox::Icon icon);
