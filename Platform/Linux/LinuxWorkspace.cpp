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
#include <QRegularExpression>

#include <gio/gdesktopappinfo.h>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <unistd.h>

#include <vector>

const QString LinuxWorkspace::ownIdentifier = QStringLiteral("com.brenvask.Quib");

namespace {

QString fromGChar(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

QByteArray readProcFile(qint64 pid, const char *name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString programName(const QString &commandOrPath)
{
    return QFileInfo(commandOrPath).fileName().toLower();
}

// The program of an Exec line (quoted as a shell would), without an env
// prefix.
QString execProgram(const QString &exec)
{
    gchar **words = nullptr;
    if (exec.isEmpty() || !g_shell_parse_argv(exec.toUtf8().constData(), nullptr, &words, nullptr))
        return {};
    QString program;
    for (gchar **word = words; *word; ++word) {
        const QString text = QString::fromUtf8(*word);
        if (text == u"env" || text.contains(u'='))
            continue;
        program = programName(text);
        break;
    }
    g_strfreev(words);
    return program;
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

void LinuxWorkspace::loadEntries() const
{
    if (m_loaded)
        return;
    m_loaded = true;
    GList *all = g_app_info_get_all();
    for (GList *item = all; item; item = item->next) {
        auto *info = G_DESKTOP_APP_INFO(item->data);
        Entry entry;
        entry.id = fromGChar(g_app_info_get_id(G_APP_INFO(info)));
        entry.id.chop(entry.id.endsWith(u".desktop") ? 8 : 0);
        entry.path = fromGChar(g_desktop_app_info_get_filename(info));
        entry.name = fromGChar(g_app_info_get_display_name(G_APP_INFO(info)));
        entry.isRegular = !g_desktop_app_info_get_nodisplay(info) && !g_desktop_app_info_get_boolean(info, "Terminal");
        if (entry.id.isEmpty())
            continue;
        m_entriesById.insert(entry.id, entry);

        QStringList programs;
        programs << execProgram(fromGChar(g_app_info_get_commandline(G_APP_INFO(info))));
        char *tryExec = g_desktop_app_info_get_string(info, "TryExec");
        programs << programName(fromGChar(tryExec));
        g_free(tryExec);
        programs << fromGChar(g_desktop_app_info_get_startup_wm_class(info)).toLower();
        for (const QString &program : std::as_const(programs)) {
            // Entries that only open a file with another program say nothing
            // about who runs it.
            if (!program.isEmpty() && program != u"xdg-open" && program != u"sh" && program != u"env" && !m_idsByProgram.contains(program))
                m_idsByProgram.insert(program, entry.id);
        }
    }
    g_list_free_full(all, g_object_unref);
}

std::optional<LinuxWorkspace::Entry> LinuxWorkspace::entryForProcess(qint64 pid) const
{
    const QString executable = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath();
    if (!executable.isEmpty() && executable == QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath())
        return Entry{ownIdentifier, {}, QStringLiteral("Quib"), false};

    loadEntries();
    auto byId = [this](const QString &id) -> std::optional<Entry> {
        if (auto it = m_entriesById.constFind(id); it != m_entriesById.constEnd())
            return *it;
        return std::nullopt;
    };

    const QList<QByteArray> environment = readProcFile(pid, "environ").split('\0');
    QString launchedFile;
    bool launchedHere = false;
    for (const QByteArray &variable : environment) {
        if (variable.startsWith("GIO_LAUNCHED_DESKTOP_FILE="))
            launchedFile = QString::fromUtf8(variable.mid(26));
        else if (variable.startsWith("GIO_LAUNCHED_DESKTOP_FILE_PID="))
            launchedHere = variable.mid(30).toLongLong() == pid;
    }
    if (launchedHere && !launchedFile.isEmpty()) {
        if (auto entry = byId(QFileInfo(launchedFile).completeBaseName()))
            return entry;
    }

    static const QRegularExpression scope(QStringLiteral("/app-(?:[^/]*?-)?([^/-][^/]*?)-[0-9a-f]+\\.scope$"));
    for (const QByteArray &line : readProcFile(pid, "cgroup").split('\n')) {
        QRegularExpressionMatch match = scope.match(QString::fromUtf8(line));
        if (match.hasMatch()) {
            QString id = match.captured(1);
            id.replace(QStringLiteral("\\x2d"), QStringLiteral("-"));
            if (auto entry = byId(id))
                return entry;
        }
    }

    const QByteArray commandLine = readProcFile(pid, "cmdline");
    const QStringList candidates{programName(executable), programName(QString::fromUtf8(commandLine.left(commandLine.indexOf('\0')))),
                                 QString::fromUtf8(readProcFile(pid, "comm")).trimmed().toLower()};
    for (const QString &candidate : candidates) {
        if (candidate.isEmpty())
            continue;
        if (auto it = m_idsByProgram.constFind(candidate); it != m_idsByProgram.constEnd())
            return byId(*it);
        if (auto entry = byId(candidate))
            return entry;
    }
    return std::nullopt;
}

std::optional<Workspace::RunningApplication> LinuxWorkspace::runningApplication(qint64 pid) const
{
    if (pid <= 0)
        return std::nullopt;
    const auto entry = entryForProcess(pid);
    if (!entry)
        return std::nullopt;
    return RunningApplication{pid, entry->id, entry->name, entry->isRegular};
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
    // /proc/<pid>/stat: "pid (comm) state ppid ..."; comm may hold spaces and
    // parentheses, so read after the last ')'.
    const QByteArray stat = readProcFile(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return std::nullopt;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 2)
        return std::nullopt;
    bool ok = false;
    const qint64 parent = fields.at(1).toLongLong(&ok);
    return ok ? std::optional<qint64>(parent) : std::nullopt;
}

std::optional<QString> LinuxWorkspace::urlForApplication(const QString &bundleIdentifier) const
{
    loadEntries();
    if (auto it = m_entriesById.constFind(bundleIdentifier); it != m_entriesById.constEnd() && !it->path.isEmpty())
        return it->path;
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
