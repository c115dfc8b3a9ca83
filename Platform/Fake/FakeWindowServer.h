#pragma once

#include "Platform/WindowServer.h"

// Full-screen screens as a test sets them; none means "cannot tell".
class FakeWindowServer final : public WindowServer {
public:
    std::optional<QSet<QString>> fullscreenDisplayIdentifiers() override { return fullscreen; }

    std::optional<QSet<QString>> fullscreen = QSet<QString>();
};
