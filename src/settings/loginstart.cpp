#include "settings/loginstart.h"

#include "platform/session/autostart.h"
#include "platform/messagebox.h"
#include "platform/platform.h"

#include <QCoreApplication>

void SetStartAtLogin(bool enable) {
    const QString failure =
        Platform().AutoStart->SetEntry(enable, QCoreApplication::applicationFilePath());
    if (failure.isEmpty())
        return;
    TBoxRequest request;
    request.Text = failure;
    request.Caption = QStringLiteral("Snapvault");
    request.Icon = TBoxIcon::Warning;
    Platform().Boxes->Show(request);
}

bool StartAtLoginOffered(const QString& versionText) {
    return Platform().AutoStart->InstallationPresent(versionText);
}
