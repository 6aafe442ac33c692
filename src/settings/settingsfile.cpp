// SVX.dat, factory values and start at login. Until they exist, the window keeps the values it
// is built with, and nothing is stored.
#include "ui/svxform.h"

bool TSVXForm::ReadSettings() {
    return true;
}

void TSVXForm::WriteSettings() {}

void TSVXForm::ApplyFactoryDefaults() {}

void TSVXForm::SysAutoStart(QObject*) {}

void TSVXForm::RestoreJPEGsettings(QObject*) {}
