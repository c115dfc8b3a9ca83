#include "Platform/Linux/LinuxPlatform.h"

#include "Platform/BundleInfo.h"
#include "Platform/FocusFiles.h"
#include "Platform/Linux/AppcastUpdateFramework.h"
#include "Platform/Linux/BlueZBluetooth.h"
#include "Platform/Linux/ClockStepWatcher.h"
#include "Platform/Linux/CursorPointer.h"
#include "Platform/Linux/DBusNotifications.h"
#include "Platform/Linux/DBusSessionLock.h"
#include "Platform/Linux/LinuxBacklights.h"
#include "Platform/Linux/GeoClueLocationProvider.h"
#include "Platform/Linux/GSettingsFocusWriter.h"
#include "Platform/Linux/IcsEventStore.h"
#include "Platform/Linux/LinuxCredentials.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "Platform/Linux/LinuxScreens.h"
#include "Platform/Linux/LinuxWorkspace.h"
#include "Platform/Linux/NotificationJournal.h"
#include "Platform/NotificationDatabase.h"
#include "Platform/Linux/ProcessSoundPlayer.h"
#include "Platform/Linux/PulseAudioSystem.h"
#include "Platform/Linux/StreamVolumeRecord.h"
#include "Platform/Linux/SysfsPowerSources.h"
#include "Platform/Linux/UPowerPowerSources.h"
#include "Platform/Linux/XdgLoginItems.h"
#include "Platform/Linux/X11KeyCapture.h"
#include "Platform/Linux/X11WindowServer.h"
#include "Platform/Linux/XcbConnection.h"
#include "Support/Log.h"
#include "Support/Scheduler.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QGuiApplication>

namespace {

std::unique_ptr<DistributedNotifications> makeNotifications()
{
    auto notifications = makeSessionNotifications();
    if (const QDBusConnection bus = QDBusConnection::sessionBus(); !bus.isConnected())
        qCWarning(lcDBus, "Quib: no session bus (%s); alerts from the command line will not arrive", qPrintable(bus.lastError().message()));
    return notifications;
}

// Without an X11 display no key can be captured and no window is known.
class InertKeyCapture final : public KeyCapture {
public:
    std::optional<Grab> grab(const KeyCombination &combination, Handler) override
    {
        qCWarning(lcPlatform, "Quib: no X11 display; the key %s stays off", qPrintable(describe(combination)));
        return std::nullopt;
    }
    // Asked again every few seconds (the media keys): the missing display was
    // reported once when the platform was built.
    std::optional<Grab> grabAnyModifiers(Qt::Key, Decision, PressHandler) override { return std::nullopt; }
    void release(Grab) override {}
    bool canGrabAnyModifiers(Qt::Key) override { return false; }
};

// The keys are answered on a connection of their own, so that a busy main
// thread never holds the keyboard.
std::unique_ptr<KeyCapture> makeKeyCapture(const XcbConnection *x11)
{
    if (!x11)
        return std::make_unique<InertKeyCapture>();
    auto own = XcbConnection::open();
    if (!own) {
        qCWarning(lcPlatform, "Quib: no second connection to the X11 display; global keys are off");
        return std::make_unique<InertKeyCapture>();
    }
    return std::make_unique<X11KeyCapture>(std::move(own));
}

class InertWindowServer final : public WindowServer {
public:
    std::optional<QSet<QString>> fullscreenDisplayIdentifiers() override { return std::nullopt; }
    void observeActivation(Handler) override {}
    void observeFullscreenStates(Handler) override {}
    void observeStacking(Handler) override {}
    bool hasCompositor() override { return false; }
    bool moveToLockScreen(QWindow &) override { return false; }
};

std::unique_ptr<XcbConnection> openDisplay()
{
    auto x11 = XcbConnection::open();
    if (!x11)
        qCWarning(lcPlatform, "Quib: no X11 display; global keys and full-screen detection are off");
    return x11;
}

template <typename Service, typename Backend, typename Inert>
std::unique_ptr<Service> overDisplay(XcbConnection *x11)
{
    if (x11)
        return std::make_unique<Backend>(*x11);
    return std::make_unique<Inert>();
}

// Without a graphical application there are no displays to put a notch on.
class InertScreens final : public Screens {
public:
    QList<Screen> screens() const override { return {}; }
    void observeChanges(Handler) override {}
};

// Without a graphical application there is no pointer to follow.
class InertPointer final : public Pointer {
public:
    std::optional<QPoint> position() const override { return std::nullopt; }
    bool observeMotion(std::function<void()>) override { return false; }
};

std::unique_ptr<Pointer> makePointer(XcbConnection *x11)
{
    if (qGuiApp)
        return std::make_unique<CursorPointer>(x11);
    return std::make_unique<InertPointer>();
}

std::unique_ptr<Screens> makeScreens()
{
    if (qGuiApp)
        return std::make_unique<LinuxScreens>();
    qCWarning(lcPlatform, "Quib: no graphical session; no notch can be shown");
    return std::make_unique<InertScreens>();
}

// Without GeoClue the location is never known; requests fail at once.
class InertLocationProvider final : public LocationProvider {
public:
    void setDelegate(Delegate *delegate) override { m_delegate = delegate; }
    void setDesiredAccuracy(double) override {}
    AuthorizationStatus authorizationStatus() const override { return AuthorizationStatus::restricted; }
    void requestLocation() override
    {
        if (m_delegate)
            m_delegate->locationFailed(QStringLiteral("no location service"));
    }
    // Nothing can grant it: the status stays restricted.
    void requestAuthorization() override {}
    void observeAuthorization(std::function<void(AuthorizationStatus)>) override {}

private:
    Delegate *m_delegate = nullptr;
};

std::unique_ptr<LocationProvider> makeLocationProvider()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (GeoClueLocationProvider::isAvailable(bus)) {
        return std::make_unique<GeoClueLocationProvider>(bus, QStringLiteral("com.brenvask.Quib"));
    }
    qCWarning(lcPlatform, "Quib: no GeoClue2 on the system bus; the weather has no location");
    return std::make_unique<InertLocationProvider>();
}

// Without logind no backlight can be set: the brightness keys go to the
// system.
class InertBacklights final : public Backlights {
public:
    QStringList displays() const override { return {}; }
    bool isBuiltIn(const QString &) const override { return false; }
    std::optional<float> brightness(const QString &) const override { return std::nullopt; }
    int levelCount(const QString &) const override { return 0; }
    bool setBrightness(const QString &, float) override { return false; }
};

std::unique_ptr<Backlights> makeBacklights()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (LinuxBacklights::isAvailable(bus))
        return std::make_unique<LinuxBacklights>(bus);
    qCWarning(lcPlatform, "Quib: no logind on the system bus; display brightness is left to the system");
    return std::make_unique<InertBacklights>();
}

std::unique_ptr<PowerSources> makePowerSources()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (UPowerPowerSources::isAvailable(bus))
        return std::make_unique<UPowerPowerSources>(bus);
    qCWarning(lcPlatform, "Quib: no UPower on the system bus; the battery is read from the kernel, without the power-saving mode");
    return std::make_unique<SysfsPowerSources>();
}

// The journal of other applications' notifications, on the session bus.
std::unique_ptr<NotificationJournal> makeNotificationJournal(const Workspace &workspace)
{
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        return std::make_unique<NotificationJournal>(workspace, address, NotificationDatabase::defaultPath());
    qCWarning(lcDBus, "Quib: no session bus; other applications' notifications will not show");
    return nullptr;
}

} // namespace

struct LinuxPlatform::Private {
    QtScheduler scheduler;
    ClockStepWatcher clockSteps{[this] { scheduler.wallClockStepped(); }};
    JsonUserDefaults defaults{scheduler};
    std::unique_ptr<DistributedNotifications> notifications = makeNotifications();
    std::unique_ptr<XcbConnection> x11 = openDisplay();
    LinuxWorkspace workspace{x11.get()};
    std::unique_ptr<NotificationJournal> notificationJournal = makeNotificationJournal(workspace);
    ProcessSoundPlayer soundPlayer;
    PulseAudioSystem audio{scheduler, StreamVolumeRecord::defaultPath()};
    std::unique_ptr<KeyCapture> keyCapture = makeKeyCapture(x11.get());
    std::unique_ptr<WindowServer> windowServer = overDisplay<WindowServer, X11WindowServer, InertWindowServer>(x11.get());
    std::unique_ptr<Screens> screens = makeScreens();
    IcsEventStore eventStore;
    std::unique_ptr<LocationProvider> location = makeLocationProvider();
    LinuxCredentials credentials;
    std::unique_ptr<Pointer> pointer = makePointer(x11.get());
    std::unique_ptr<Backlights> backlights = makeBacklights();
    AppcastUpdateFramework updates{scheduler, defaults, workspace, BundleInfo::main()};
    std::unique_ptr<PowerSources> powerSources = makePowerSources();
    GSettingsFocusWriter focusWriter{FocusFiles::directory()};
    BlueZBluetooth bluetooth{QDBusConnection::systemBus()};
    DBusSessionLock sessionLock{QDBusConnection::sessionBus(), QDBusConnection::systemBus(), DBusSessionLock::currentSessionId()};
    XdgLoginItems loginItems{XdgLoginItems::entryPath(QStringLiteral("com.brenvask.Quib")), QCoreApplication::applicationFilePath()};
};

// A wake needs no report of its own: the clock step watcher sees the jump
// of the wall clock at a resume.
LinuxPlatform::LinuxPlatform()
    : d(std::make_unique<Private>())
{
}

LinuxPlatform::~LinuxPlatform() = default;

Services LinuxPlatform::services()
{
    return Services{d->scheduler, d->defaults, *d->notifications, d->workspace, d->soundPlayer, d->audio, *d->keyCapture, *d->windowServer, *d->screens,
                    d->eventStore, *d->location, d->credentials, *d->pointer, *d->backlights, d->updates, *d->powerSources, d->bluetooth, d->sessionLock, d->loginItems};
}
