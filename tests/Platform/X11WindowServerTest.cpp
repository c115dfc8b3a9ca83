#include "Platform/Linux/X11WindowServer.h"

#include <gtest/gtest.h>

namespace {

using Monitor = X11WindowServer::Monitor;
using Window = X11WindowServer::VisibleWindow;

// Two monitors side by side: "left" 1920×1080 and "right" 1280×1024.
const QList<Monitor> monitors{{"left", QRect(0, 0, 1920, 1080)}, {"right", QRect(1920, 0, 1280, 1024)}};
const QRect leftFull(0, 0, 1920, 1080);
const QRect rightFull(1920, 0, 1280, 1024);
const QRect leftSmall(100, 100, 400, 300);
const QRect rightSmall(2000, 100, 400, 300);

TEST(X11WindowServerTest, FullScreenWindowsCountForTheirOwnMonitor)
{
    struct Case {
        const char *name;
        QList<Window> windows;
        QSet<QString> expected;
    };
    const Case cases[] = {
        {"no windows", {}, {}},
        {"active full-screen window on the right", {{rightFull, true, true}}, {"right"}},
        {"full-screen window in the background of the other monitor", {{rightFull, true, false}, {leftSmall, false, true}}, {"right"}},
        {"active normal window in front of a full-screen one", {{leftFull, true, false}, {leftSmall, false, true}}, {}},
        {"the same in the other order", {{leftSmall, false, true}, {leftFull, true, false}}, {}},
        {"both monitors full screen", {{leftFull, true, true}, {rightFull, true, false}}, {"left", "right"}},
        {"normal windows only", {{leftSmall, false, true}, {rightSmall, false, false}}, {}},
        // The centre lies on the right monitor.
        {"a window across both monitors", {{QRect(1500, 0, 1000, 800), true, true}}, {"right"}},
        {"a window whose centre is off every monitor", {{QRect(3000, 900, 400, 400), true, false}}, {"right"}},
        {"a window beside every monitor", {{QRect(5000, 0, 100, 100), true, true}}, {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(X11WindowServer::fullscreenMonitors(monitors, c.windows), c.expected) << c.name;
}

} // namespace
