#include "Platform/Linux/LinuxPlatform.h"

#include "Platform/Linux/DBusNotifications.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "Platform/Linux/LinuxWorkspace.h"
#include "Platform/Linux/ProcessSoundPlayer.h"
#include "Support/Log.h"
#include "Support/Scheduler.h"

#include <QDBusConnection>
#include <QDBusError>

namespace {

// Without a session bus nothing can reach the app and nothing can be posted;
// the app still runs.
class InertNotifications final : public DistributedNotifications {
public:
    void post(const QString &, const QString &, const UserInfo &) override {}
    void flush() override {}
    void observe(const QString &, Handler) override {}
    bool claimApplication(const QString &) override { return true; }
    std::optional<qint64> applicationProcessId(const QString &) const override { return std::nullopt; }
};

std::unique_ptr<DistributedNotifications> makeNotifications()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        return std::make_unique<DBusNotifications>(bus);
    qCWarning(lcDBus, "Quib: no session bus (%s); alerts from the command line will not arrive", qPrintable(bus.lastError().message()));
    return std::make_unique<InertNotifications>();
}

} // namespace

struct LinuxPlatform::Private {
    QtScheduler scheduler;
    JsonUserDefaults defaults;
    std::unique_ptr<DistributedNotifications> notifications = makeNotifications();
    LinuxWorkspace workspace;
    ProcessSoundPlayer soundPlayer;
};

LinuxPlatform::LinuxPlatform()
    : d(std::make_unique<Private>())
{
}

LinuxPlatform::~LinuxPlatform() = default;

Services LinuxPlatform::services()
{
    return Services{d->scheduler, d->defaults, *d->notifications, d->workspace, d->soundPlayer};
}
