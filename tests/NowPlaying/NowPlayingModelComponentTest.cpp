// NowPlayingModel with the real bridge child and a scripted MPRIS player on a
// private session bus.

#include "NowPlaying/NowPlayingModel.h"
#include "Platform/Fake/FakeWindowServer.h"
#include "Platform/Fake/FakeWorkspace.h"
#include "PrivateBus.h"
#include "ScriptedPlayer.h"

#include <QLocale>
#include <QTest>

#include <gtest/gtest.h>

#include <clocale>

namespace {

TEST(NowPlayingModelWithBridge, ShowsThePlayerAndDrivesIt)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.isRunning());
    ScriptedPlayer player;
    ASSERT_TRUE(player.start(QStringLiteral("model")));
    ASSERT_TRUE(player.run(QStringLiteral(R"x(metadata {"title": "Song (Remastered)", "artist": ["Artist"], "length": 240000000,)x"
                                          R"x( "trackid": "/t/1"})x")));
    ASSERT_TRUE(player.run(QStringLiteral("status Playing")));

    // Numbers sent to the bridge must not follow the user's locale.
    const QLocale previousLocale;
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    const std::string previousNumeric = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "pt_BR.UTF-8"); // when installed

    QtScheduler scheduler;
    FakeWorkspace workspace;
    FakeWindowServer windowServer;
    workspace.addApplication(player.pid(), 1, QStringLiteral("org.example.Player"));
    NowPlayingModel model(scheduler, workspace, windowServer);
    model.start();
    // The model writes from the event loop, which must run while waiting.
    const auto receives = [&player](const QString &call) { return QTest::qWaitFor([&] { return player.hasCall(call); }, 5000); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.title() == u"Song (Remastered)" && model.isPlaying(); }, 5000));
    EXPECT_EQ(model.artist(), u"Artist");
    EXPECT_EQ(model.duration(), 240);
    EXPECT_EQ(model.bundleIdentifier(), u"org.example.Player");
    EXPECT_TRUE(model.isActive());

    model.seek(83.25);
    EXPECT_TRUE(receives(QStringLiteral("SetPosition /t/1 83250000")));
    model.togglePlayPause();
    EXPECT_FALSE(model.isPlaying());
    EXPECT_TRUE(receives(QStringLiteral("PlayPause")));
    model.nextTrack();
    EXPECT_TRUE(receives(QStringLiteral("Next")));
    model.previousTrack();
    EXPECT_TRUE(receives(QStringLiteral("Previous")));
    model.toggleShuffle();
    EXPECT_TRUE(receives(QStringLiteral("Shuffle true")));
    model.cycleRepeat();
    EXPECT_TRUE(receives(QStringLiteral("LoopStatus Track")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return model.repeatMode() == 1 && model.shuffleMode() == 1 && !model.isPlaying(); }, 5000));

    std::setlocale(LC_NUMERIC, previousNumeric.c_str());
    QLocale::setDefault(previousLocale);

    // The player leaves: the bridge reports no song, the strip goes idle.
    model.setIdleDuration(0.1);
    player.quit();
    EXPECT_TRUE(QTest::qWaitFor([&] { return model.title().isEmpty(); }, 5000));
    EXPECT_EQ(model.bundleIdentifier(), u"org.example.Player") << "the last source stays";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !model.isActive(); }, 5000));
    model.bridge()->stop();
}

} // namespace
