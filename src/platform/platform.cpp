#include "platform/platform.h"

#include "platform/linuxplatform.h"

namespace {
TPlatform* CurrentPlatform = nullptr;
}

TPlatform& Platform() {
    if (CurrentPlatform == nullptr)
        CurrentPlatform = &LinuxPlatform();
    return *CurrentPlatform;
}

TScopedPlatform::TScopedPlatform(const TPlatform& services)
    : FPrevious(CurrentPlatform), FServices(services) {
    CurrentPlatform = &FServices;
}

TScopedPlatform::~TScopedPlatform() {
    CurrentPlatform = FPrevious;
}
