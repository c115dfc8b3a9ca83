#include "Alerts/ExternalAlertListener.h"
#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"
#include "Settings/SettingsStyle.h"
#include "Shared/SystemColors.h"

#include <gtest/gtest.h>

namespace {

using UserInfo = DistributedNotifications::UserInfo;

class ExternalAlertListenerTest : public ::testing::Test {
protected:
    ExternalAlertListenerTest()
    {
        platform.workspace.installed.insert(QStringLiteral("org.gnome.Terminal"),
                                            {QStringLiteral("/usr/share/applications/org.gnome.Terminal.desktop"), QStringLiteral("Terminal.app")});
    }

    // Delivers a request as another process would post it.
    void post(const std::optional<UserInfo> &userInfo)
    {
        platform.notifications.deliver({ExternalAlertListener::name, QString(), userInfo});
    }
    std::optional<NotchBanner> shown() const { return model.banners.current(); }
    int soundsPlayed() const { return platform.soundPlayer.played().count(QStringLiteral("Bottle")); }

    FakePlatform platform;
    AppModel model{platform.services()};
    ExternalAlertListener listener{model};
};

const QString thumbsUp = QStringLiteral("\U0001F44D\U0001F3FD");

} // namespace

TEST_F(ExternalAlertListenerTest, BuildsTheBannerFromTheRequest)
{
    post(UserInfo{{QStringLiteral("title"), QStringLiteral("Build")},
                  {QStringLiteral("body"), QStringLiteral("Compilação concluída")},
                  {QStringLiteral("symbol"), QStringLiteral("checkmark.circle.fill")},
                  {QStringLiteral("color"), QStringLiteral("green")},
                  {QStringLiteral("app"), QStringLiteral("org.gnome.Terminal")},
                  {QStringLiteral("duration"), QStringLiteral("2.5")}});
    ASSERT_TRUE(shown());
    EXPECT_EQ(shown()->title, QStringLiteral("Build"));
    EXPECT_EQ(shown()->body, QStringLiteral("Compilação concluída"));
    EXPECT_EQ(shown()->symbol, QStringLiteral("checkmark.circle.fill"));
    EXPECT_EQ(shown()->color, SystemColors::green());
    EXPECT_EQ(shown()->appBundleID, QStringLiteral("org.gnome.Terminal"));
    EXPECT_EQ(shown()->duration, 2.5);
    EXPECT_FALSE(shown()->action);
    EXPECT_EQ(platform.soundPlayer.played(), QStringList{QStringLiteral("Bottle")});
}

TEST_F(ExternalAlertListenerTest, EmptyValuesCountAsAbsent)
{
    post(UserInfo{{QStringLiteral("body"), QStringLiteral("text")}, {QStringLiteral("symbol"), QString()}, {QStringLiteral("app"), QString()}});
    ASSERT_TRUE(shown());
    EXPECT_FALSE(shown()->symbol);
    EXPECT_FALSE(shown()->appBundleID);
    EXPECT_EQ(shown()->color, SettingsStyle::accent());
    EXPECT_EQ(shown()->duration, 6) << "the externalDuration setting";
}

TEST_F(ExternalAlertListenerTest, TitleAndBodyAreCutByUserPerceivedCharacters)
{
    const QString longTitle = QString(100, u't');
    const QString emojiAtTheCut = QString(79, u'a') + thumbsUp + QStringLiteral("zz");
    const QString longBody = QString(239, u'b') + thumbsUp + QStringLiteral("zz");
    post(UserInfo{{QStringLiteral("title"), longTitle}, {QStringLiteral("body"), longBody}});
    EXPECT_EQ(shown()->title, QString(80, u't'));
    EXPECT_EQ(shown()->body, QString(239, u'b') + thumbsUp);

    model.banners.dismiss();
    post(UserInfo{{QStringLiteral("title"), emojiAtTheCut}});
    EXPECT_EQ(shown()->title, QString(79, u'a') + thumbsUp);
}

TEST_F(ExternalAlertListenerTest, MissingTitleComesFromTheApplicationOrIsQuib)
{
    struct Row {
        const char *name;
        QString app;
        QString displayName;
        QString expected;
    };
    const QList<Row> rows{
        {"installedApplication", QStringLiteral("org.gnome.Terminal"), {}, QStringLiteral("Terminal")},
        {"everyDotAppRemoved", QStringLiteral("com.example.tool"), QStringLiteral("My.app Tool.app"), QStringLiteral("My Tool")},
        {"unknownApplication", QStringLiteral("com.example.gone"), {}, QStringLiteral("Quib")},
        {"noApplication", QString(), {}, QStringLiteral("Quib")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        if (!row.displayName.isEmpty())
            platform.workspace.installed.insert(row.app, {QStringLiteral("/apps/tool.desktop"), row.displayName});
        post(UserInfo{{QStringLiteral("body"), QStringLiteral("only a body")}, {QStringLiteral("app"), row.app}});
        ASSERT_TRUE(shown());
        EXPECT_EQ(shown()->title, row.expected);
        model.banners.dismiss();
    }
}

TEST_F(ExternalAlertListenerTest, RequestsAreDroppedSilently)
{
    struct Row {
        const char *name;
        std::optional<UserInfo> request;
        std::function<void()> arrange;
    };
    const UserInfo fromTerminal{{QStringLiteral("title"), QStringLiteral("T")}, {QStringLiteral("app"), QStringLiteral("org.gnome.Terminal")}};
    const QList<Row> rows{
        {"malformedUserInformation", std::nullopt, [] {}},
        {"neitherTitleNorBody", UserInfo{{QStringLiteral("symbol"), QStringLiteral("timer")}, {QStringLiteral("title"), QString()}}, [] {}},
        {"externalAlertsOff", UserInfo{{QStringLiteral("title"), QStringLiteral("T")}}, [&] { model.preferences.externalAlerts.setValue(false); }},
        {"applicationIsFrontmost", fromTerminal,
         [&] { platform.workspace.frontmost = Workspace::RunningApplication{7, QStringLiteral("org.gnome.Terminal"), QStringLiteral("Terminal"), true}; }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        row.arrange();
        post(row.request);
        EXPECT_FALSE(shown());
        EXPECT_EQ(soundsPlayed(), 0);
    }
}

TEST_F(ExternalAlertListenerTest, FrontmostApplicationIsShownWhenTheSettingIsOffOrItIsAnother)
{
    platform.workspace.frontmost = Workspace::RunningApplication{7, QStringLiteral("org.gnome.Terminal"), QStringLiteral("Terminal"), true};
    post(UserInfo{{QStringLiteral("title"), QStringLiteral("other")}, {QStringLiteral("app"), QStringLiteral("spotify")}});
    EXPECT_EQ(shown()->title, QStringLiteral("other"));

    model.banners.dismiss();
    model.preferences.externalSkipFrontmost.setValue(false);
    post(UserInfo{{QStringLiteral("title"), QStringLiteral("front")}, {QStringLiteral("app"), QStringLiteral("org.gnome.Terminal")}});
    EXPECT_EQ(shown()->title, QStringLiteral("front"));
}

TEST_F(ExternalAlertListenerTest, DurationFallsBackToTheSettingUnlessItIsAFiniteNumber)
{
    model.preferences.externalDuration.setValue(9);
    const QList<std::pair<QString, double>> rows{
        {QStringLiteral("2.5"), 2.5},  {QStringLiteral("0"), 0},        {QStringLiteral("-3"), -3},      {QStringLiteral("1e3"), 1000},
        {QStringLiteral("abc"), 9},    {QStringLiteral(""), 9},         {QStringLiteral("nan"), 9},      {QStringLiteral("inf"), 9},
        {QStringLiteral("-inf"), 9},   {QStringLiteral("infinity"), 9}, {QStringLiteral("1e400"), 9},    {QStringLiteral("2.5s"), 9},
        {QStringLiteral(" 2"), 9},     {QStringLiteral("٣"), 9},        {QStringLiteral("+2.5"), 2.5},   {QStringLiteral("+-2"), 9},
        {QStringLiteral("+"), 9},
    };
    for (const auto &[text, expected] : rows) {
        SCOPED_TRACE(text.toStdString());
        post(UserInfo{{QStringLiteral("title"), QStringLiteral("timed")}, {QStringLiteral("duration"), text}});
        ASSERT_TRUE(shown());
        EXPECT_EQ(shown()->duration, expected);
        model.banners.dismiss();
    }
}

TEST_F(ExternalAlertListenerTest, ZeroDurationStaysTheQueuesMinimumOfOneSecond)
{
    post(UserInfo{{QStringLiteral("title"), QStringLiteral("brief")}, {QStringLiteral("duration"), QStringLiteral("0")}});
    platform.scheduler.advance(0.999);
    EXPECT_TRUE(shown());
    platform.scheduler.advance(0.001);
    EXPECT_FALSE(shown());
}

TEST_F(ExternalAlertListenerTest, ColoursByNameInAnyCaseOrByHexCode)
{
    const QList<std::pair<QString, std::optional<QColor>>> rows{
        {QStringLiteral("LARANJA"), SystemColors::orange()},
        {QStringLiteral("Red"), SystemColors::red()},
        {QStringLiteral("vermelho"), SystemColors::red()},
        {QStringLiteral("amarelo"), SystemColors::yellow()},
        {QStringLiteral("azul"), SystemColors::blue()},
        {QStringLiteral("roxo"), SystemColors::purple()},
        {QStringLiteral("Rosa"), SystemColors::pink()},
        {QStringLiteral("branco"), QColor(Qt::white)},
        {QStringLiteral("#0A84ff"), QColor(0x0a, 0x84, 0xff)},
        {QStringLiteral("ff9f0a"), QColor(0xff, 0x9f, 0x0a)},
        {QStringLiteral("#12345"), std::nullopt},
        {QStringLiteral("1234567"), std::nullopt},
        {QStringLiteral("#12345g"), std::nullopt},
        {QStringLiteral("##123456"), std::nullopt},
        {QStringLiteral("+12345"), std::nullopt},
        {QStringLiteral(" 123456"), std::nullopt},
        {QStringLiteral("１２３４５６"), std::nullopt},
        {QStringLiteral("black"), std::nullopt},
        {QString(), std::nullopt},
    };
    for (const auto &[text, expected] : rows) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(ExternalAlertListener::color(text), expected);

        post(UserInfo{{QStringLiteral("title"), QStringLiteral("coloured")}, {QStringLiteral("color"), text}});
        ASSERT_TRUE(shown());
        EXPECT_EQ(shown()->color, expected.value_or(SettingsStyle::accent()));
        model.banners.dismiss();
    }
}

TEST_F(ExternalAlertListenerTest, OnlyTheExactSoundValueZeroIsSilent)
{
    const QList<std::pair<std::optional<QString>, bool>> rows{
        {QStringLiteral("0"), false}, {QStringLiteral("00"), true}, {QStringLiteral("false"), true}, {QString(), true}, {std::nullopt, true},
    };
    for (const auto &[sound, plays] : rows) {
        SCOPED_TRACE(sound.value_or(QStringLiteral("<absent>")).toStdString());
        platform.soundPlayer.events.clear();
        UserInfo request{{QStringLiteral("title"), QStringLiteral("sound")}};
        if (sound)
            request.insert(QStringLiteral("sound"), *sound);
        post(request);
        EXPECT_EQ(soundsPlayed(), plays ? 1 : 0);
    }

    platform.soundPlayer.events.clear();
    model.preferences.soundOnExternal.setValue(false);
    post(UserInfo{{QStringLiteral("title"), QStringLiteral("quiet")}});
    EXPECT_EQ(soundsPlayed(), 0);
    EXPECT_EQ(shown()->title, QStringLiteral("sound")) << "the banner still queues";
}

TEST_F(ExternalAlertListenerTest, SoundPlaysAlsoForAQueuedBanner)
{
    post(UserInfo{{QStringLiteral("title"), QStringLiteral("first")}});
    post(UserInfo{{QStringLiteral("title"), QStringLiteral("second")}});
    EXPECT_EQ(shown()->title, QStringLiteral("first"));
    EXPECT_EQ(model.banners.queue().size(), 1);
    EXPECT_EQ(soundsPlayed(), 2);
}
