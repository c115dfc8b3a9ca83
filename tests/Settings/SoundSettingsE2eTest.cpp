// The real app under Xvfb with an application playing on a private sound
// server at half its volume: "Voltar todos a 100%" on the sound settings
// page, opened with the diagnostic command "settings:sound", brings its
// stream back to full volume and clears the saved per-app volumes.

#include "App/AppModel.h"
#include "DesktopAppTest.h"
#include "Platform/Fake/FakePlatform.h"
#include "PulseServer.h"
#include "Settings/SettingsRouter.h"
#include "Settings/SettingsStyle.h"
#include "Settings/SettingsView.h"
#include "Settings/SoundSettingsPage.h"
#include "SoundApps.h"
#include "Wait.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

const QString alpha = QStringLiteral("quibalpha");
constexpr double halfAmplitudeDecibels = -6.02;
const QList<quint32> fullVolume{65536, 65536};

std::optional<QList<quint32>> volumeOf(qint64 pid)
{
    const std::optional<PulseServer::Stream> stream = PulseServer::stream(QStringLiteral("sink-inputs"), pid);
    return stream ? std::optional(stream->volume) : std::nullopt;
}

// The top-left corner of the settings window: the first row and column of
// the sidebar's dark grey on the white desktop.
std::optional<QPoint> settingsWindowCorner(const QImage &shot)
{
    const QColor sidebar = SettingsStyle::sidebarBackground();
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QColor seen = shot.pixelColor(x, y);
            if (std::abs(seen.red() - sidebar.red()) <= 1 && seen.red() == seen.green() && seen.green() == seen.blue()
                && shot.pixelColor(x + 1, y + 1) == seen && shot.pixelColor(x + 40, y + 40) == seen)
                return QPoint(x, y);
        }
    }
    return std::nullopt;
}

// Where the settings window puts the sound page's reset button, laid out
// here as the app lays it out (same window, same fonts).
QPoint resetButtonInWindow()
{
    FakePlatform platform;
    AppModel model(platform.services());
    SettingsRouter router;
    router.setPage(SettingsPageID::sound);
    SettingsView view(router, model);
    view.show();
    QCoreApplication::processEvents();
    auto *page = qobject_cast<SoundSettingsPage *>(view.currentPage());
    if (!page)
        return {};
    return page->resetButton()->mapTo(&view, page->resetButton()->rect().center());
}

class SoundSettingsE2eTest : public DesktopAppTest {
protected:
    void beforeLaunch() override
    {
        ASSERT_TRUE(sound.isReady()) << sound.log().constData();
        apps.addApplication(alpha, QStringLiteral("Alfa"), Qt::red);
        player = apps.play(alpha);
        ASSERT_TRUE(waitUntil([&] { return volumeOf(player).has_value(); }));
        quib.environment().insert(QStringLiteral("PULSE_SERVER"), QString::fromUtf8(qgetenv("PULSE_SERVER")));
        quib.environment().insert(QStringLiteral("XDG_DATA_HOME"), apps.dataHome());
        const QString config = quib.environment().value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/quib");
        ASSERT_TRUE(QDir().mkpath(config));
        settingsPath = config + QStringLiteral("/defaults.json");
        QFile file(settingsPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral(R"({"debugHooks": true, "appVolumes": {"%1": 0.5}})").arg(alpha).toUtf8());
    }

    void send(const QString &word)
    {
        QProcess dbusSend;
        dbusSend.start(QStringLiteral("dbus-send"), {QStringLiteral("--session"), QStringLiteral("--type=signal"), QStringLiteral("/com/brenvask/Quib"),
                                                     QStringLiteral("com.brenvask.Quib.debug"), QStringLiteral("string:") + word,
                                                     QStringLiteral("dict:string:string:")});
        ASSERT_TRUE(dbusSend.waitForFinished(10000));
        ASSERT_EQ(dbusSend.exitCode(), 0) << dbusSend.readAllStandardError().toStdString();
    }

    QJsonObject savedVolumes() const
    {
        QFile file(settingsPath);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("appVolumes")).toObject();
    }

    PulseServer sound;
    SoundApps apps;
    QString settingsPath;
    qint64 player = 0;
};

} // namespace

TEST_F(SoundSettingsE2eTest, ResetAllBringsAScaledStreamBackToFullVolume)
{
    ASSERT_NEAR(PulseServer::settledDecibels(player, halfAmplitudeDecibels), halfAmplitudeDecibels, 0.05);

    send(QStringLiteral("settings:sound"));
    std::optional<QPoint> corner;
    ASSERT_TRUE(waitUntil([&] { return (corner = settingsWindowCorner(desktopClient.screenshot())).has_value(); }, 10000))
        << "the settings window did not open";

    const QPoint inWindow = resetButtonInWindow();
    ASSERT_FALSE(inWindow.isNull());
    const QPoint button = *corner + inWindow;
    display.movePointer(button);
    display.xdotool({QStringLiteral("click"), QStringLiteral("1")});

    EXPECT_TRUE(waitUntil([&] { return volumeOf(player) == fullVolume; }, 10000)) << "the stream stays scaled";
    EXPECT_TRUE(waitUntil([&] { return savedVolumes().isEmpty(); }, 5000)) << "the saved volumes stay";
}
