#include "Platform/Linux/LinuxBacklights.h"

#include "Support/Log.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QString logindService = QStringLiteral("org.freedesktop.login1");

} // namespace

bool LinuxBacklights::isAvailable(const QDBusConnection &bus)
{
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(logindService);
}

LinuxBacklights::LinuxBacklights(const QDBusConnection &bus, const QString &root)
    : m_bus(bus)
    , m_root(root)
{
}

QStringList LinuxBacklights::entries() const
{
    // Entries are links into the device tree; the name order is the stable one.
    return QDir(m_root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList LinuxBacklights::displays() const
{
    const QStringList all = entries();
    // The panel's firmware interface (ACPI video) and its graphics driver's
    // ("raw") often both appear: one screen, to be set once, through the
    // firmware as the kernel advises.
    const bool panelHasFirmwareEntry = std::any_of(all.begin(), all.end(), [this](const QString &entry) {
        return isBuiltIn(entry) && readText(entry, QStringLiteral("type")) == "firmware";
    });
    QStringList kept;
    for (const QString &entry : all) {
        if (!(panelHasFirmwareEntry && isBuiltIn(entry) && readText(entry, QStringLiteral("type")) == "raw"))
            kept << entry;
    }
    return kept;
}

bool LinuxBacklights::isBuiltIn(const QString &display) const
{
    if (!entries().contains(display))
        return false;
    return !QFileInfo(QDir(m_root).filePath(display)).canonicalFilePath().contains(QLatin1String("ddcci"));
}

int LinuxBacklights::levelCount(const QString &display) const
{
    if (!entries().contains(display))
        return 0;
    const auto maximum = readNumber(display, QStringLiteral("max_brightness"));
    return maximum && *maximum > 0 && *maximum <= std::numeric_limits<int>::max() ? int(*maximum) : 0;
}

std::optional<float> LinuxBacklights::brightness(const QString &display) const
{
    if (!entries().contains(display))
        return std::nullopt;
    const auto request = m_requests.constFind(display);
    if (request != m_requests.constEnd())
        return request->level;
    const auto maximum = readNumber(display, QStringLiteral("max_brightness"));
    const auto current = readNumber(display, QStringLiteral("brightness"));
    if (!maximum || !current || *maximum <= 0 || *current < 0)
        return std::nullopt;
    return std::clamp(float(*current) / float(*maximum), 0.0f, 1.0f);
}

bool LinuxBacklights::setBrightness(const QString &display, float level)
{
    if (!std::isfinite(level) || level < 0 || level > 1 || !entries().contains(display))
        return false;
    const auto maximum = readNumber(display, QStringLiteral("max_brightness"));
    if (!maximum || *maximum <= 0)
        return false;
    const quint32 raw = quint32(std::lround(double(level) * double(*maximum)));
    QDBusMessage call = QDBusMessage::createMethodCall(logindService, QStringLiteral("/org/freedesktop/login1/session/auto"),
                                                       QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("SetBrightness"));
    call << QStringLiteral("backlight") << display << raw;
    Request &request = m_requests[display];
    request.level = level;
    ++request.inFlight;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, display](QDBusPendingCallWatcher *watcher) {
        watcher->deleteLater();
        const QDBusPendingReply<> reply = *watcher;
        auto request = m_requests.find(display);
        if (request != m_requests.end() && --request->inFlight == 0)
            m_requests.erase(request);
        if (reply.isError() && !m_reportedFailure) {
            // Held keys ask many times a second; one line says it.
            qCWarning(lcPlatform, "Quib: could not set the brightness of %s: %s", qPrintable(display), qPrintable(reply.error().message()));
            m_reportedFailure = true;
        } else if (!reply.isError()) {
            m_reportedFailure = false;
        }
    });
    return true;
}

QByteArray LinuxBacklights::readText(const QString &display, const QString &file) const
{
    QFile input(QDir(m_root).filePath(display + QLatin1Char('/') + file));
    if (!input.open(QIODevice::ReadOnly))
        return {};
    return input.read(32).trimmed();
}

std::optional<qint64> LinuxBacklights::readNumber(const QString &display, const QString &file) const
{
    bool ok = false;
    const qint64 value = readText(display, file).toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}
