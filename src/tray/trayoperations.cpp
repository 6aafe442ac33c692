// The window operations behind the activation state and, later, the notification-area icon.
// The icon itself is not there yet: the steps that would drive it do nothing.
#include "ui/svxform.h"

#include <QAction>
#include <QCheckBox>

void TSVXForm::ToggleActivate(QObject*) {
    if (ActivationUpdating)
        return;
    ActivationUpdating = true;
    setWindowTitle(OptActivate->isChecked() ? QStringLiteral("Snapvault")
                                            : QStringLiteral("Snapvault [disabled]"));
    ActivationUpdating = false;
}

void TSVXForm::ToggleSystray(QObject*) {}

void TSVXForm::RestoreFromTI(QObject*) {
    showNormal();
    raise();
    activateWindow();
}

void TSVXForm::RestoreTI(QObject*) {}

void TSVXForm::Quit(QObject*) {
    close();
}

void TSVXForm::MinimizeTI() {
    if (!StartMinimizePending)
        return;
    StartMinimizePending = false;
    if (OptStartMinimized->isChecked())
        setWindowState(windowState() | Qt::WindowMinimized);
}

void TSVXForm::StartBusyIcon() {}

void TSVXForm::StopBusyIcon() {}
