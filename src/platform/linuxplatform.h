#pragma once

#include "platform/platform.h"

// The services of the Linux desktop, created on first use and kept for the process.
TPlatform& LinuxPlatform();
