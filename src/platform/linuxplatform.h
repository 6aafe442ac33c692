#pragma once

#include "platform/clipboard/clipboardroute.h"
#include "platform/platform.h"

#include <memory>

// The services of the Linux desktop, with the clipboard of the route chosen at start-up, put in
// force for the lifetime of the object. Made once by `main` after the toolkit has started.
class TLinuxPlatform {
public:
    explicit TLinuxPlatform(TClipboardRoute route);
    ~TLinuxPlatform();
    TLinuxPlatform(const TLinuxPlatform&) = delete;
    TLinuxPlatform& operator=(const TLinuxPlatform&) = delete;

private:
    struct TServices;
    std::unique_ptr<TServices> F;
};
