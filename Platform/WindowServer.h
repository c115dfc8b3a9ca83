#pragma once

#include <QSet>
#include <QString>

#include <functional>
#include <optional>

class QScreen;

// What the window system tells about the screens' contents. Main thread only.
class WindowServer {
public:
    using Handler = std::function<void()>;

    virtual ~WindowServer() = default;

    // The identifiers of the screens that show a full-screen window now; none
    // when the window system cannot tell.
    virtual std::optional<QSet<QString>> fullscreenDisplayIdentifiers() = 0;

    // Calls `handler` on the main thread whenever another window becomes the
    // active one or another desktop the current one: the moments a screen
    // may start or stop showing a full-screen window. The observation lasts
    // as long as this object.
    virtual void observeActivation(Handler handler) = 0;

    // A compositing manager runs: translucent windows show what lies behind
    // them. Without one their clear parts are black.
    virtual bool hasCompositor() = 0;

    // The identifier of `screen` in the form the set above uses (the monitor
    // name, "HDMI-1"); none when the screen has no name.
    static std::optional<QString> identifier(const QScreen &screen);
};
