#pragma once

#include "Platform/WindowServer.h"

#include <vector>

// Full-screen screens as a test sets them; none means "cannot tell".
// activate(), changeFullscreenState() and restack() report to their
// observers at once.
class FakeWindowServer final : public WindowServer {
public:
    std::optional<QSet<QString>> fullscreenDisplayIdentifiers() override
    {
        ++fullscreenQueries;
        return fullscreen;
    }
    void observeActivation(Handler handler) override { m_activationHandlers.push_back(std::move(handler)); }
    void observeFullscreenStates(Handler handler) override { m_fullscreenHandlers.push_back(std::move(handler)); }
    void observeStacking(Handler handler) override { m_stackingHandlers.push_back(std::move(handler)); }
    bool hasCompositor() override { return compositor; }
    bool moveToLockScreen(QWindow &window) override
    {
        movedToLockScreen.push_back(&window);
        return movesToLockScreen;
    }

    void activate() { report(m_activationHandlers); }
    void changeFullscreenState() { report(m_fullscreenHandlers); }
    void restack() { report(m_stackingHandlers); }

    std::optional<QSet<QString>> fullscreen = QSet<QString>();
    bool compositor = true;
    int fullscreenQueries = 0;
    // What moveToLockScreen answers, and the windows it was given.
    bool movesToLockScreen = true;
    std::vector<QWindow *> movedToLockScreen;

private:
    static void report(const std::vector<Handler> &handlers)
    {
        const auto copy = handlers;
        for (const Handler &handler : copy)
            handler();
    }

    std::vector<Handler> m_activationHandlers;
    std::vector<Handler> m_fullscreenHandlers;
    std::vector<Handler> m_stackingHandlers;
};
