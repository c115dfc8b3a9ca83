#include "Alerts/ExternalAlertListener.h"
#include "Alerts/HUDController.h"
#include "App/AppModel.h"
#include "App/CommandLineTool.h"
#include "App/NotifyCommand.h"
#include "Platform/Fake/FakePlatform.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

// The app over fakes, with the settings as a hand-edited file would hold them
// when it starts.
struct App {
    explicit App(const QVariantMap &settings)
        : model(servicesWith(platform, settings))
    {
    }

    // Speakers and a display are there before the indicator starts.
    static Services servicesWith(FakePlatform &platform, const QVariantMap &settings)
    {
        platform.audio.addDevice(AudioScope::Output, FakeAudioSystem::switchedDevice(QStringLiteral("speakers"), 0.5f));
        platform.audio.defaults[AudioScope::Output] = QStringLiteral("speakers");
        platform.backlights.list = {{"intel_backlight", 0.5f, true}};
        for (auto setting = settings.begin(); setting != settings.end(); ++setting)
            platform.defaults.setObject(setting.key(), setting.value());
        return platform.services();
    }

    // Runs a `quib` command in this process; its post reaches the app.
    void runCommand(const QStringList &arguments, const QByteArray &input = {})
    {
        if (arguments.value(0) == u"notify") {
            std::vector<std::string> words;
            for (const QString &argument : arguments)
                words.push_back(argument.toStdString());
            std::ostringstream out;
            NotifyCommand(platform.sessionBus, platform.workspace, out, out).run(words);
            return;
        }
        QByteArray inputBytes = input;
        QBuffer in(&inputBytes);
        in.open(QIODevice::ReadOnly);
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        QTemporaryDir usage;
        CommandLineTool tool(platform.notifications, platform.workspace, platform.defaults, in, outStream, errStream,
                             usage.filePath(QStringLiteral("usage.json")));
        tool.run(arguments);
    }

    // Seconds until nothing is shown any more, in quarter-second steps (an
    // hour at most).
    double shownFor()
    {
        double elapsed = 0;
        while ((model.banners.current() || model.alerts.current()) && elapsed < 3600) {
            platform.scheduler.advance(0.25);
            elapsed += 0.25;
        }
        return elapsed;
    }

    FakePlatform platform;
    AppModel model;
    ExternalAlertListener listener{model};
    HUDController hud{model};
};

} // namespace

// Banners and alert strips stay between their minimum and a minute, whatever
// asks for how long: a longer one would hold every later banner behind it.
TEST(AlertDuration, EveryPathIsBoundedToAMinute)
{
    const struct {
        const char *text;
        double value;
    } values[] = {{"1e300", 1e300}, {"1e9", 1e9}, {"61", 61}, {"60", 60}, {"5", 5}, {"0", 0}, {"-3", -3}, {"nan", notANumber}};

    const struct {
        const char *name;
        std::function<QVariantMap(double value)> settings;
        std::function<void(App &, const char *text)> show;
        std::vector<double> shownFor;
    } paths[] = {
        {"quib notify --duration",
         [](double) { return QVariantMap(); },
         [](App &app, const char *text) {
             app.runCommand({QStringLiteral("notify"), QStringLiteral("-d"), QString::fromLatin1(text), QStringLiteral("pronto")});
         },
         // An unreadable duration ("nan") falls back to the setting, 6 s.
         {60, 60, 60, 60, 5, 1, 1, 6}},
        {"externalDuration setting, agent hook",
         [](double value) { return QVariantMap{{QStringLiteral("externalDuration"), value}}; },
         [](App &app, const char *) { app.runCommand({QStringLiteral("claude-hook")}, R"({"hook_event_name":"Stop"})"); },
         // A number that is not finite reads as 0.
         {60, 60, 60, 60, 5, 1, 1, 1}},
        {"externalDuration setting, quib notify",
         [](double value) { return QVariantMap{{QStringLiteral("externalDuration"), value}}; },
         [](App &app, const char *) { app.runCommand({QStringLiteral("notify"), QStringLiteral("pronto")}); },
         {60, 60, 60, 60, 5, 1, 1, 1}},
        {"soundDuration setting, volume strip",
         [](double value) { return QVariantMap{{QStringLiteral("soundDuration"), value}}; },
         [](App &app, const char *) { app.platform.keyCapture.press({Qt::Key_VolumeUp, {}}); },
         {60, 60, 60, 60, 5, 0.5, 0.5, 0.5}},
        {"displayDuration setting, brightness strip",
         [](double value) { return QVariantMap{{QStringLiteral("displayDuration"), value}}; },
         [](App &app, const char *) { app.platform.keyCapture.press({Qt::Key_MonBrightnessUp, {}}); },
         {60, 60, 60, 60, 5, 0.5, 0.5, 0.5}},
    };

    for (const auto &path : paths) {
        for (size_t row = 0; row < std::size(values); ++row) {
            SCOPED_TRACE(std::string(path.name) + ", " + values[row].text);
            App app(path.settings(values[row].value));
            path.show(app, values[row].text);
            ASSERT_TRUE(app.model.banners.current() || app.model.alerts.current());
            EXPECT_EQ(app.shownFor(), path.shownFor.at(row));
        }
    }
}

TEST(AlertDuration, ALongBannerNoLongerHoldsTheNextOne)
{
    App app({});
    app.runCommand({QStringLiteral("notify"), QStringLiteral("--duration"), QStringLiteral("1e9"), QStringLiteral("--title"), QStringLiteral("Deploy"),
                    QStringLiteral("primeiro")});
    app.runCommand({QStringLiteral("notify"), QStringLiteral("--title"), QStringLiteral("Build"), QStringLiteral("segundo")});
    app.platform.scheduler.advance(59.75);
    EXPECT_EQ(app.model.banners.current()->body, QStringLiteral("primeiro"));
    app.platform.scheduler.advance(0.25 + BannerCenter::gapBetweenBanners);
    ASSERT_TRUE(app.model.banners.current());
    EXPECT_EQ(app.model.banners.current()->body, QStringLiteral("segundo"));
}
