#pragma once

#include <QSet>
#include <QString>

#include <optional>

class QScreen;

// What the window system tells about the screens' contents. Main thread only.
class WindowServer {
public:
    virtual ~WindowServer() = default;

    // The identifiers of the screens that show a full-screen window now; none
    // when the window system cannot tell.
    virtual std::optional<QSet<QString>> fullscreenDisplayIdentifiers() = 0;

    // The identifier of `screen` in the form the set above uses (the monitor
    // name, "HDMI-1"); none when the screen has no name.
    static std::optional<QString> identifier(const QScreen &screen);
};
