#include "ui/svxform.h"

#include <QApplication>
#include <QCloseEvent>

TSVXForm::TSVXForm(const QStringList& arguments, QWidget* parent) : QWidget(parent) {
    CreateControls();
    ConnectHandlers();
    StartupSequence(arguments);
}

TSVXForm::~TSVXForm() {
    // No screenshot is lost on the way out: every running save completes first.
    WaitForRunningSaves();
    ShutdownSequence();
}

void TSVXForm::closeEvent(QCloseEvent* event) {
    // Closing the window ends the program, even while a save's error box is still open.
    event->accept();
    QCoreApplication::quit();
}
