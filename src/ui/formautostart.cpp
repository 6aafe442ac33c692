// Start at login, offered only where this version is installed.
#include "settings/loginstart.h"
#include "ui/svxform.h"

#include <QCheckBox>

void TSVXForm::SetAutoStart(bool enable) {
    SetStartAtLogin(enable);
}

void TSVXForm::SysAutoStart(QObject*) {
    SetAutoStart(OptAutoStart->isChecked());
}

bool TSVXForm::InstalledKeyPresent() const {
    return StartAtLoginOffered(VersionText);
}
