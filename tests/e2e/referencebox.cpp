#include "referencebox.h"

#include <QApplication>

QSize ReferenceBoxSize(const QString& caption, const QString& text, QMessageBox::Icon icon) {
    // Built as the program builds its boxes: no owner, an OK button, kept on top.
    QMessageBox box(icon, caption, text, QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.show();
    QApplication::processEvents();
    const QSize size = box.size();
    box.hide();
    return size;
}
