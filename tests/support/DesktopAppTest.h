#pragma once

#include "NotchDesktop.h"
#include "PrivateBus.h"
#include "PrivateDisplay.h"
#include "QuibProcess.h"

#include <gtest/gtest.h>

#include <memory>

// The real app on a private display and a private session bus, in front of
// the white desktop whose screenshots locate the notch. The display has no
// top panel, so the notch is the simulated one, 190 × 32.
class DesktopAppTest : public ::testing::Test {
protected:
    static inline const QSize desktop{1280, 800};

    void SetUp() override
    {
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(display.isRunning());
        ASSERT_TRUE(desktopClient.isConnected());
        ASSERT_NO_FATAL_FAILURE(beforeLaunch());
        quib.environment().insert(QStringLiteral("DISPLAY"), display.name());
        quib.environment().insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        app = std::make_unique<RunningQuib>(quib);
        ASSERT_TRUE(app->waitUntilReady(observer));
    }

    // The app ends before the services that derived tests add.
    void TearDown() override { app.reset(); }

    // What the desktop, the app's environment and its services hold before
    // the app starts.
    virtual void beforeLaunch() {}

    PrivateBus bus;
    QDBusConnection observer = bus.connect(QStringLiteral("observer"));
    PrivateDisplay display{desktop};
    NotchDesktop desktopClient{display.name(), desktop};
    QuibProcess quib;
    std::unique_ptr<RunningQuib> app;
};
