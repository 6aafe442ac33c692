#include "platform/platform.h"

#include <QtGlobal>

namespace {
TPlatform* CurrentPlatform = nullptr;
}

TPlatform& Platform() {
    if (CurrentPlatform == nullptr)
        qFatal("snapvault: no desktop services are in force");
    return *CurrentPlatform;
}

TScopedPlatform::TScopedPlatform(const TPlatform& services)
    : FPrevious(CurrentPlatform), FServices(services) {
    CurrentPlatform = &FServices;
}

TScopedPlatform::~TScopedPlatform() {
    CurrentPlatform = FPrevious;
}
