// The Linux workspace's activation watch and clipboard, on a private X server.

#include "Platform/Linux/LinuxWorkspace.h"
#include "PrivateDisplay.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Sets _NET_ACTIVE_WINDOW (or another window property) of the root window,
// as a window manager does when the focus moves.
bool setRootProperty(const QString &display, const QString &property, const QString &window)
{
    QProcess xprop;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    xprop.setProcessEnvironment(environment);
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-f"), property, QStringLiteral("32x"), QStringLiteral("-set"), property, window});
    return xprop.waitForFinished(5000) && xprop.exitCode() == 0;
}

TEST(WorkspaceActivations, ObserversHearOfEachChangeOfTheActiveWindowWhileTheirContextLives)
{
    PrivateDisplay display;
    ASSERT_TRUE(display.isRunning());
    const QByteArray previousDisplay = qgetenv("DISPLAY");
    qputenv("DISPLAY", display.name().toUtf8());
    LinuxWorkspace workspace;
    int heard = 0;
    int heardByGone = 0;
    QObject context;
    auto shortLived = std::make_unique<QObject>();
    workspace.observeActivations(&context, [&heard] { ++heard; });
    workspace.observeActivations(shortLived.get(), [&heardByGone] { ++heardByGone; });

    ASSERT_TRUE(setRootProperty(display.name(), QStringLiteral("_NET_ACTIVE_WINDOW"), QStringLiteral("0x200001")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return heard == 1; }, 5000));
    EXPECT_EQ(heardByGone, 1);

    shortLived.reset();
    // Another property of the root window says nothing about activation.
    ASSERT_TRUE(setRootProperty(display.name(), QStringLiteral("_NET_CLIENT_LIST"), QStringLiteral("0x200001")));
    ASSERT_TRUE(setRootProperty(display.name(), QStringLiteral("_NET_ACTIVE_WINDOW"), QStringLiteral("0x200002")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return heard == 2; }, 5000));
    EXPECT_EQ(heard, 2);
    EXPECT_EQ(heardByGone, 1);
    qputenv("DISPLAY", previousDisplay);
}

TEST(WorkspaceClipboard, CopiedTextIsOnTheClipboard)
{
    LinuxWorkspace workspace;
    workspace.setClipboardText(QStringLiteral("Águas de Março — Elis"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"Águas de Março — Elis");
}

} // namespace
