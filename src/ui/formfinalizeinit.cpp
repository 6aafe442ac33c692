// The hidden hand-over action: factory settings, and the next start behaves as a first run.
#include "platform/messagebox.h"
#include "platform/platform.h"
#include "ui/svxform.h"

#include <QCoreApplication>

void TSVXForm::PrepareInit(QObject*) {
    FinalizeArmed = true;
}

void TSVXForm::FinalizeInit(QObject*) {
    if (!FinalizeArmed)
        return;
    TBoxRequest request;
    request.Text = QStringLiteral("Really finalize?");
    request.Caption = QStringLiteral("Programmers secret option");
    request.Icon = TBoxIcon::Question;
    request.Buttons = TBoxButtons::YesNo;
    request.Owner = this;
    if (Platform().Boxes->Show(request) != TBoxResult::Yes)
        return;
    ApplyFactoryDefaults();
    FirstRun = 1;
    QCoreApplication::quit();
}
