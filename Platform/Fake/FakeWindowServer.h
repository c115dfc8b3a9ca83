#pragma once

#include "Platform/WindowServer.h"

#include <vector>

// Full-screen screens as a test sets them; none means "cannot tell".
// activate() reports an activation to the observers at once.
class FakeWindowServer final : public WindowServer {
public:
    std::optional<QSet<QString>> fullscreenDisplayIdentifiers() override
    {
        ++fullscreenQueries;
        return fullscreen;
    }
    void observeActivation(Handler handler) override { m_handlers.push_back(std::move(handler)); }
    bool hasCompositor() override { return compositor; }

    void activate()
    {
        const auto handlers = m_handlers;
        for (const Handler &handler : handlers)
            handler();
    }

    std::optional<QSet<QString>> fullscreen = QSet<QString>();
    bool compositor = true;
    int fullscreenQueries = 0;

private:
    std::vector<Handler> m_handlers;
};
