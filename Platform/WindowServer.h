#pragma once

#include <QSet>
#include <QString>

#include <functional>
#include <optional>

class QScreen;
class QWindow;

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

    // Calls `handler` on the main thread whenever a window enters or leaves
    // full screen by itself, without an activation (a browser's full-screen
    // key, a video player's button). Lasts as long as this object.
    virtual void observeFullscreenStates(Handler handler) = 0;

    // Calls `handler` on the main thread whenever another program's window
    // may have come in front of ours: a window is mapped or moved in the
    // stacking order. Windows that place themselves outside the window
    // manager (menus, tooltips, other programs' overlays) are not reported,
    // so raising ours in answer never starts a raise loop with another
    // program that keeps itself on top the same way. Lasts as long as this
    // object.
    virtual void observeStacking(Handler handler) = 0;

    // Puts the shown `window` above every other window, the screen locker's
    // included, so it shows while the session is locked; false when it
    // cannot.
    virtual bool moveToLockScreen(QWindow &window) = 0;

    // A compositing manager runs: translucent windows show what lies behind
    // them. Without one their clear parts are black.
    virtual bool hasCompositor() = 0;

    // The identifier of `screen` in the form the set above uses (the monitor
    // name, "HDMI-1"); none when the screen has no name.
    static std::optional<QString> identifier(const QScreen &screen);
};
