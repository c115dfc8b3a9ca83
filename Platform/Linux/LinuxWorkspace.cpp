#include "Platform/Linux/LinuxWorkspace.h"

#include "Platform/Linux/XcbConnection.h"
#include "Support/Log.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QProcess>
#include <QStandardPaths>

#include <gio/gdesktopappinfo.h>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <unistd.h>

#include <vector>

namespace {

QString fromGChar(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

class LinuxWorkspace::SleepWatcher : public QObject {
    Q_OBJECT
public:
    std::vector<std::function<void()>> handlers;

public Q_SLOTS:
    void prepareForSleep(bool sleeping)
    {
        if (sleeping)
            return;
        const auto current = handlers;
        for (const auto &handler : current)
            handler();
    }
};

LinuxWorkspace::LinuxWorkspace(XcbConnection *x11)
    : m_x11(x11)
{
}

LinuxWorkspace::~LinuxWorkspace() = default;

std::optional<Workspace::RunningApplication> LinuxWorkspace::runningApplication(qint64 pid) const
{
    if (pid <= 0)
        return std::nullopt;
    const auto entry = m_processes.entryForProcess(pid);
    if (!entry)
        return std::nullopt;
    return RunningApplication{pid, QString::fromStdString(entry->id), QString::fromStdString(entry->name), entry->isRegular};
}

QList<Workspace::RunningApplication> LinuxWorkspace::runningApplications(const QString &bundleIdentifier) const
{
    QList<RunningApplication> found;
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : processes) {
        bool ok = false;
        const qint64 pid = name.toLongLong(&ok);
        if (!ok)
            continue;
        if (auto application = runningApplication(pid); application && application->bundleIdentifier == bundleIdentifier)
            found.append(*application);
    }
    return found;
}

std::optional<Workspace::RunningApplication> LinuxWorkspace::frontmostApplication() const
{
    if (!m_x11)
        return std::nullopt;
    xcb_ewmh_connection_t &ewmh = m_x11->ewmh();
    xcb_window_t window = XCB_NONE;
    if (!xcb_ewmh_get_active_window_reply(&ewmh, xcb_ewmh_get_active_window(&ewmh, m_x11->screenNumber()), &window, nullptr) || window == XCB_NONE)
        return std::nullopt;
    const auto pid = processOf(window);
    return pid ? runningApplication(*pid) : std::nullopt;
}

std::optional<qint64> LinuxWorkspace::processOf(quint32 window) const
{
    xcb_ewmh_connection_t &ewmh = m_x11->ewmh();
    uint32_t pid = 0;
    if (!xcb_ewmh_get_wm_pid_reply(&ewmh, xcb_ewmh_get_wm_pid(&ewmh, window), &pid, nullptr) || pid == 0)
        return std::nullopt;
    return pid;
}

std::optional<qint64> LinuxWorkspace::parentProcessIdentifier(qint64 pid) const
{
    return m_processes.parent(pid);
}

std::optional<QString> LinuxWorkspace::urlForApplication(const QString &bundleIdentifier) const
{
    if (const auto entry = m_processes.entry(bundleIdentifier.toStdString()); entry && !entry->path.empty())
        return QString::fromStdString(entry->path);
    return std::nullopt;
}

QString LinuxWorkspace::displayName(const QString &url) const
{
    GDesktopAppInfo *info = g_desktop_app_info_new_from_filename(url.toUtf8().constData());
    if (!info)
        return QFileInfo(url).completeBaseName();
    const QString name = fromGChar(g_app_info_get_display_name(G_APP_INFO(info)));
    g_object_unref(info);
    return name;
}

QImage LinuxWorkspace::iconForApplication(const QString &url) const
{
    // Large enough for any banner or list icon; views scale it down.
    constexpr int iconPixels = 128;
    GDesktopAppInfo *info = g_desktop_app_info_new_from_filename(url.toUtf8().constData());
    if (!info)
        return {};
    QIcon icon;
    GIcon *entryIcon = g_app_info_get_icon(G_APP_INFO(info));
    if (entryIcon && G_IS_FILE_ICON(entryIcon)) {
        char *path = g_file_get_path(g_file_icon_get_file(G_FILE_ICON(entryIcon)));
        icon = QIcon(fromGChar(path));
        g_free(path);
    } else if (entryIcon && G_IS_THEMED_ICON(entryIcon)) {
        // Names from the most to the least specific; the first the theme has
        // wins.
        for (const gchar *const *name = g_themed_icon_get_names(G_THEMED_ICON(entryIcon)); name && *name && icon.isNull(); ++name)
            icon = QIcon::fromTheme(fromGChar(*name));
    }
    g_object_unref(info);
    if (icon.isNull())
        return {};
    return icon.pixmap(QSize(iconPixels, iconPixels)).toImage();
}

bool LinuxWorkspace::activate(const RunningApplication &application)
{
    if (!m_x11)
        return false;
    xcb_ewmh_connection_t &ewmh = m_x11->ewmh();
    xcb_ewmh_get_windows_reply_t clients;
    if (!xcb_ewmh_get_client_list_reply(&ewmh, xcb_ewmh_get_client_list(&ewmh, m_x11->screenNumber()), &clients, nullptr))
        return false;
    std::optional<xcb_window_t> found;
    for (uint32_t i = 0; i < clients.windows_len && !found; ++i) {
        if (processOf(clients.windows[i]) == application.processIdentifier)
            found = clients.windows[i];
    }
    xcb_ewmh_get_windows_reply_wipe(&clients);
    if (!found)
        return false;
    // Sent as a pager would: window managers honour that source without
    // focus-stealing prevention.
    xcb_ewmh_request_change_active_window(&ewmh, m_x11->screenNumber(), *found, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME, XCB_NONE);
    xcb_flush(m_x11->connection());
    return true;
}

void LinuxWorkspace::setClipboardText(const QString &text)
{
    // The clipboard belongs to the GUI application; a command-line run has none.
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QGuiApplication::clipboard()->setText(text);
}

void LinuxWorkspace::openApplication(const QString &url)
{
    GDesktopAppInfo *info = g_desktop_app_info_new_from_filename(url.toUtf8().constData());
    if (!info) {
        qCWarning(lcPlatform, "Quib: no application at %s", qPrintable(url));
        return;
    }
    GError *error = nullptr;
    if (!g_app_info_launch(G_APP_INFO(info), nullptr, nullptr, &error)) {
        qCWarning(lcPlatform, "Quib: could not open %s: %s", qPrintable(url), error ? error->message : "unknown error");
        g_clear_error(&error);
    }
    g_object_unref(info);
}

bool LinuxWorkspace::canOpen(const QUrl &url) const
{
    const QByteArray scheme = url.scheme().toLower().toUtf8();
    if (scheme.isEmpty())
        return false;
    GAppInfo *info = g_app_info_get_default_for_uri_scheme(scheme.constData());
    if (!info)
        return false;
    g_object_unref(info);
    return true;
}

void LinuxWorkspace::open(const QUrl &url)
{
    GError *error = nullptr;
    if (!g_app_info_launch_default_for_uri(url.toString(QUrl::FullyEncoded).toUtf8().constData(), nullptr, &error)) {
        qCWarning(lcPlatform, "Quib: could not open %s: %s", qPrintable(url.toDisplayString()), error ? error->message : "unknown error");
        g_clear_error(&error);
    }
}

std::optional<QStringList> LinuxWorkspace::settingsPanelCommand(const QStringList &desktops, SettingsPanel panel)
{
    for (const QString &desktop : desktops) {
        const QString name = desktop.toLower();
        if (name == QLatin1String("gnome") || name == QLatin1String("unity")) {
            switch (panel) {
            case SettingsPanel::location:
                return QStringList{QStringLiteral("gnome-control-center"), QStringLiteral("location")};
            case SettingsPanel::bluetooth:
                return QStringList{QStringLiteral("gnome-control-center"), QStringLiteral("bluetooth")};
            case SettingsPanel::keyboardShortcuts:
                return QStringList{QStringLiteral("gnome-control-center"), QStringLiteral("keyboard")};
            }
        }
        if (name == QLatin1String("kde")) {
            switch (panel) {
            case SettingsPanel::location:
                // Plasma has no location panel.
                break;
            case SettingsPanel::bluetooth:
                return QStringList{QStringLiteral("systemsettings"), QStringLiteral("kcm_bluetooth")};
            case SettingsPanel::keyboardShortcuts:
                return QStringList{QStringLiteral("systemsettings"), QStringLiteral("kcm_keys")};
            }
        }
    }
    return std::nullopt;
}

bool LinuxWorkspace::openSettingsPanel(SettingsPanel panel)
{
    const auto command = settingsPanelCommand(qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts), panel);
    if (!command)
        return false;
    const QString program = QStandardPaths::findExecutable(command->constFirst());
    // Started detached: the settings program outlives nothing of ours and is
    // never waited for.
    if (program.isEmpty() || !QProcess::startDetached(program, command->mid(1))) {
        qCWarning(lcPlatform, "Quib: could not start %s", qPrintable(command->join(QLatin1Char(' '))));
        return false;
    }
    return true;
}

void LinuxWorkspace::observeWake(std::function<void()> handler)
{
    if (!m_sleepWatcher) {
        m_sleepWatcher = std::make_unique<SleepWatcher>();
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected()
            || !bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
                            QStringLiteral("PrepareForSleep"), m_sleepWatcher.get(), SLOT(prepareForSleep(bool))))
            qCWarning(lcPlatform, "Quib: no logind on the system bus; wake-ups from sleep go unnoticed");
    }
    m_sleepWatcher->handlers.push_back(std::move(handler));
}

#include "LinuxWorkspace.moc"
