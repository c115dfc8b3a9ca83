#pragma once

#include "Platform/Services.h"

#include <memory>

// Builds the Linux backend of every service. A service whose system part is
// unreachable (no session bus, no X11 display, no sound player) gets an inert
// backend and one logged warning instead of failing the app.
class LinuxPlatform {
public:
    LinuxPlatform();
    ~LinuxPlatform();
    LinuxPlatform(const LinuxPlatform &) = delete;
    LinuxPlatform &operator=(const LinuxPlatform &) = delete;

    Services services();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
