#pragma once

#include "Platform/Screens.h"

#include <QObject>

#include <vector>

class QScreen;

// Screens of the Qt platform (X11 through xcb): frames and scale from
// QScreen, the visible frame from the desktop's work area, and as identifier
// the monitor name that WindowServer reports full-screen displays by. X11 has
// no camera housing.
class LinuxScreens final : public Screens {
public:
    // Needs a QGuiApplication.
    LinuxScreens();
    ~LinuxScreens() override;

    QList<Screen> screens() const override;
    void observeChanges(Handler handler) override;

private:
    void watch(QScreen *screen);
    void changed();

    // Context of every connection: they end with this object.
    QObject m_context;
    bool m_changePending = false;
    std::vector<Handler> m_handlers;
};
