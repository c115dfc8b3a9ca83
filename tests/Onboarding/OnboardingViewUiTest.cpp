#include "Onboarding/OnboardingView.h"

#include "Alerts/AppNotificationMonitor.h"
#include "Alerts/BannerCenter.h"
#include "Alerts/MediaKeyMonitor.h"
#include "App/AppDelegate.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"
#include "Shared/PermissionNotifications.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Calendar = EventStore::AuthorizationStatus;
using Location = LocationProvider::AuthorizationStatus;

// The row of `kind`'s visible button, or none when it shows no button.
QAbstractButton *rowButton(const OnboardingView &view, PermissionKind kind)
{
    const auto *row = view.findChild<QWidget *>(rawValue(kind));
    if (!row)
        return nullptr;
    for (QAbstractButton *button : row->findChildren<QAbstractButton *>()) {
        if (button->isVisibleTo(&view))
            return button;
    }
    return nullptr;
}

// Whether `kind`'s row shows "Permitido".
bool showsGranted(const OnboardingView &view, PermissionKind kind)
{
    const auto *granted = view.findChild<QWidget *>(rawValue(kind))->findChild<QWidget *>(QStringLiteral("granted"));
    return granted->isVisibleTo(&view) && granted->findChildren<QLabel *>().value(0)->text() == QStringLiteral("Permitido");
}

// The view shown over a model of fakes; nothing is granted at first.
class OnboardingViewTest : public ::testing::Test {
protected:
    OnboardingViewTest()
    {
        platform.eventStore.status = Calendar::notDetermined;
        platform.location.status = Location::notDetermined;
        platform.bluetooth.authorizationStatus = BluetoothAuthorization::notDetermined;
        platform.keyCapture.heldElsewhere = {volumeUpElsewhere};
        view.show();
    }

    static constexpr KeyCombination volumeUpElsewhere{Qt::Key_VolumeUp, Qt::NoModifier};
    void grantAll()
    {
        platform.eventStore.status = Calendar::fullAccess;
        platform.location.status = Location::authorized;
        platform.bluetooth.authorizationStatus = BluetoothAuthorization::allowedAlways;
        platform.keyCapture.heldElsewhere.clear();
        QFile database(folder.filePath(QStringLiteral("notifications.db")));
        ASSERT_TRUE(database.open(QIODevice::WriteOnly));
        permissions.refresh();
    }

    QTemporaryDir folder;
    FakePlatform platform;
    PermissionNotifications notifications;
    BannerCenter banners{platform.scheduler, platform.workspace};
    PermissionsModel permissions{platform.services(), notifications, banners, folder.filePath(QStringLiteral("notifications.db"))};
    int finished = 0;
    OnboardingView view{permissions, [this] { ++finished; }};
};

} // namespace

TEST(OnboardingViewRulesTest, LabelsFollowTheStatuses)
{
    EXPECT_EQ(OnboardingView::buttonLabel(PermissionStatus::granted), QString());
    EXPECT_EQ(OnboardingView::buttonLabel(PermissionStatus::denied), QStringLiteral("Abrir Ajustes"));
    EXPECT_EQ(OnboardingView::buttonLabel(PermissionStatus::notAsked), QStringLiteral("Permitir"));

    PermissionStatuses all;
    for (const PermissionKind kind : allCases<PermissionKind>())
        all.insert(kind, PermissionStatus::granted);
    EXPECT_EQ(OnboardingView::finishLabel(all), QStringLiteral("Começar"));
    for (const PermissionKind kind : allCases<PermissionKind>()) {
        SCOPED_TRACE(rawValue(kind).toStdString());
        for (const PermissionStatus other : {PermissionStatus::denied, PermissionStatus::notAsked}) {
            PermissionStatuses one = all;
            one.insert(kind, other);
            EXPECT_EQ(OnboardingView::finishLabel(one), QStringLiteral("Continuar"));
        }
        PermissionStatuses missing = all;
        missing.remove(kind);
        EXPECT_EQ(OnboardingView::finishLabel(missing), QStringLiteral("Continuar")) << "a missing entry is not granted";
    }
}

TEST_F(OnboardingViewTest, ListsTheFivePermissionsInOrderWithTheirButtons)
{
    EXPECT_EQ(view.size(), QSize(520, 680));
    QStringList titles;
    for (const PermissionKind kind : allCases<PermissionKind>()) {
        const auto *row = view.findChild<QWidget *>(rawValue(kind));
        ASSERT_TRUE(row) << rawValue(kind).toStdString();
        titles.append(row->findChildren<QLabel *>().value(0)->text());
        ASSERT_TRUE(rowButton(view, kind));
        EXPECT_EQ(rowButton(view, kind)->text(), QStringLiteral("Permitir"));
    }
    EXPECT_EQ(titles, QStringList({QStringLiteral("Calendário"), QStringLiteral("Localização"), QStringLiteral("Acessibilidade"), QStringLiteral("Bluetooth"),
                                   QStringLiteral("Acesso Total ao Disco")}));
    // Rows top to bottom in that order.
    int top = -1;
    for (const PermissionKind kind : allCases<PermissionKind>()) {
        const int y = view.findChild<QWidget *>(rawValue(kind))->mapTo(&view, QPoint()).y();
        EXPECT_GT(y, top);
        top = y;
    }
    EXPECT_EQ(view.finishButton()->text(), QStringLiteral("Continuar"));
}

TEST_F(OnboardingViewTest, AllGrantedShowsPermittedEverywhereAndBegins)
{
    grantAll();
    for (const PermissionKind kind : allCases<PermissionKind>()) {
        SCOPED_TRACE(rawValue(kind).toStdString());
        EXPECT_TRUE(showsGranted(view, kind));
        EXPECT_FALSE(rowButton(view, kind)) << "no button once granted";
    }
    EXPECT_EQ(view.finishButton()->text(), QStringLiteral("Começar"));
    QTest::mouseClick(view.finishButton(), Qt::LeftButton);
    EXPECT_EQ(finished, 1);
}

TEST_F(OnboardingViewTest, ContinueFinishesLikeBegin)
{
    ASSERT_EQ(view.finishButton()->text(), QStringLiteral("Continuar"));
    EXPECT_EQ(view.finishButton()->height(), 38);
    EXPECT_EQ(view.finishButton()->width(), 520 - 2 * 24);
    QTest::mouseClick(view.finishButton(), Qt::LeftButton);
    EXPECT_EQ(finished, 1);
}

TEST_F(OnboardingViewTest, ClickingARowAsksForItsPermission)
{
    QTest::mouseClick(rowButton(view, PermissionKind::calendar), Qt::LeftButton);
    EXPECT_EQ(platform.eventStore.pendingAccessRequests(), 1);
    platform.eventStore.answerAccessRequests(Calendar::fullAccess);
    EXPECT_TRUE(showsGranted(view, PermissionKind::calendar)) << "the row follows the answer";

    QTest::mouseClick(rowButton(view, PermissionKind::location), Qt::LeftButton);
    EXPECT_EQ(platform.location.authorizationRequests, 1);
    QTest::mouseClick(rowButton(view, PermissionKind::bluetooth), Qt::LeftButton);
    EXPECT_EQ(platform.bluetooth.pendingAuthorizationRequests(), 1);
}

TEST_F(OnboardingViewTest, ADeniedRowOpensTheSettings)
{
    platform.location.authorize(Location::denied);
    platform.workspace.settingsPanels = {SettingsPanel::location};
    ASSERT_EQ(rowButton(view, PermissionKind::location)->text(), QStringLiteral("Abrir Ajustes"));
    QTest::mouseClick(rowButton(view, PermissionKind::location), Qt::LeftButton);
    EXPECT_EQ(platform.workspace.openedSettingsPanels, QList<SettingsPanel>{SettingsPanel::location});
    EXPECT_EQ(platform.location.authorizationRequests, 0);
}

TEST_F(OnboardingViewTest, FollowsAChangeWithinASecondWhileShownAndStopsWhenHidden)
{
    EXPECT_TRUE(permissions.isWatching());
    platform.keyCapture.heldElsewhere.clear();
    platform.scheduler.advance(PermissionsModel::watchInterval);
    EXPECT_TRUE(showsGranted(view, PermissionKind::accessibility));

    view.hide();
    EXPECT_FALSE(permissions.isWatching());
    platform.keyCapture.heldElsewhere = {volumeUpElsewhere};
    platform.scheduler.advance(5 * PermissionsModel::watchInterval);
    EXPECT_TRUE(showsGranted(view, PermissionKind::accessibility)) << "no refresh while hidden";
}

namespace {

// The delegate launched over fakes with `defaults` in its user defaults.
class OnboardingLaunchTest : public ::testing::Test {
protected:
    OnboardingLaunchTest() { qputenv("XDG_DATA_HOME", dataHome.path().toUtf8()); }
    ~OnboardingLaunchTest() override
    {
        delegate.reset();
        qunsetenv("XDG_DATA_HOME");
    }
    void launch()
    {
        delegate = std::make_unique<AppDelegate>(platform.services(), MediaBridgeProcess::Files{});
        delegate->applicationDidFinishLaunching();
    }
    AppModel &model() { return delegate->model(); }

    QTemporaryDir dataHome;
    FakePlatform platform;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

TEST_F(OnboardingLaunchTest, TheFirstLaunchShowsTheWindowUntilItIsFinished)
{
    launch();
    OnboardingView *window = delegate->onboarding();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->size(), QSize(520, 680));

    QTest::mouseClick(window->finishButton(), Qt::LeftButton);
    EXPECT_EQ(platform.defaults.object(QStringLiteral("onboardingDone")), QVariant(true));
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(model().permissions.isWatching());
}

TEST_F(OnboardingLaunchTest, ShowingPermissionsAgainBringsTheSameWindowForward)
{
    platform.defaults.setObject(QStringLiteral("onboardingDone"), true);
    launch();
    EXPECT_FALSE(delegate->onboarding()) << "not after the first launch";

    Q_EMIT model().permissionNotifications.quibShowPermissions();
    OnboardingView *window = delegate->onboarding();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    window->close();
    Q_EMIT model().permissionNotifications.quibShowPermissions();
    Q_EMIT model().permissionNotifications.quibShowPermissions();
    EXPECT_EQ(delegate->onboarding(), window) << "never a second window";
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(QApplication::topLevelWidgets().count(window), 1);
}

TEST_F(OnboardingLaunchTest, TheFullDiskAccessHintComesOnceSixSecondsAfterALaterLaunch)
{
    platform.defaults.setObject(QStringLiteral("onboardingDone"), true);
    launch();
    platform.scheduler.advance(AppDelegate::fullDiskAccessHintDelay - 0.1);
    EXPECT_FALSE(model().banners.current());
    platform.scheduler.advance(0.1);
    ASSERT_TRUE(model().banners.current());
    EXPECT_EQ(model().banners.current()->title, QStringLiteral("Mensagens no notch"));
    EXPECT_EQ(platform.defaults.object(QStringLiteral("fullDiskAccessSuggested")), QVariant(true));
    EXPECT_FALSE(delegate->onboarding());

    // Its click says where the notifications are read from.
    model().banners.activate();
    platform.scheduler.advance(BannerCenter::gapBetweenBanners);
    ASSERT_TRUE(model().banners.current());
    EXPECT_EQ(model().banners.current()->title, QStringLiteral("Notificações de outros apps"));

    delegate.reset();
    launch();
    platform.scheduler.advance(60);
    EXPECT_FALSE(model().banners.current()) << "suggested once only";
}

TEST_F(OnboardingLaunchTest, NoHintWithNotificationsOffOrTheDatabaseReadable)
{
    platform.defaults.setObject(QStringLiteral("onboardingDone"), true);
    platform.defaults.setObject(QStringLiteral("appNotifications"), false);
    launch();
    platform.scheduler.advance(AppDelegate::fullDiskAccessHintDelay);
    EXPECT_FALSE(model().banners.current());
    EXPECT_FALSE(platform.defaults.object(QStringLiteral("fullDiskAccessSuggested")).isValid()) << "asked again next time";

    delegate.reset();
    platform.defaults.setObject(QStringLiteral("appNotifications"), true);
    // The path is read once per process.
    const QString path = AppNotificationMonitor::databasePath();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile database(path);
    ASSERT_TRUE(database.open(QIODevice::WriteOnly));
    database.close();
    launch();
    platform.scheduler.advance(AppDelegate::fullDiskAccessHintDelay);
    EXPECT_FALSE(model().banners.current());
    QFile::remove(path);
}
