// Start at login, offered only where this version is installed.
#include "platform/autostart.h"
#include "platform/messagebox.h"
#include "platform/platform.h"
#include "ui/svxform.h"

#include <QCheckBox>
#include <QCoreApplication>

void TSVXForm::SetAutoStart(bool enable) {
    const QString failure =
        Platform().AutoStart->SetEntry(enable, QCoreApplication::applicationFilePath());
    if (failure.isEmpty())
        return;
    // The user is told; the click, the start-up or the shutdown goes on.
    TBoxRequest request;
    request.Text = failure;
    request.Caption = QStringLiteral("Snapvault");
    request.Icon = TBoxIcon::Warning;
    Platform().Boxes->Show(request);
}

void TSVXForm::SysAutoStart(QObject*) {
    SetAutoStart(OptAutoStart->isChecked());
}

bool TSVXForm::InstalledKeyPresent() const {
    return Platform().AutoStart->InstallationPresent(VersionText);
}
