#include "Platform/Linux/LinuxProcessTree.h"

#include "Support/AtomicFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QStringList>

#include <glib.h>

#include <memory>

const QString LinuxProcessTree::ownIdentifier = QStringLiteral("com.brenvask.Quib");

LinuxProcessTree::LinuxProcessTree(QString programCache)
    : m_programCache(std::move(programCache))
{
}

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

// A desktop entry read with GLib's key-file parser. Entries GLib's
// application list leaves out (not an application, hidden, or whose TryExec
// program is missing) give none.
class DesktopEntry {
public:
    static std::optional<DesktopEntry> load(const QString &path)
    {
        DesktopEntry entry;
        if (!g_key_file_load_from_file(entry.m_file.get(), QFile::encodeName(path).constData(), G_KEY_FILE_NONE, nullptr)
            || entry.string("Type") != u"Application" || entry.boolean("Hidden"))
            return std::nullopt;
        const QString tryExec = entry.string("TryExec");
        if (!tryExec.isEmpty()) {
            gchar *found = g_find_program_in_path(QFile::encodeName(tryExec).constData());
            g_free(found);
            if (!found)
                return std::nullopt;
        }
        return entry;
    }

    QString string(const char *key) const
    {
        gchar *value = g_key_file_get_string(m_file.get(), "Desktop Entry", key, nullptr);
        const QString text = fromGChar(value);
        g_free(value);
        return text;
    }
    QString localeString(const char *key) const
    {
        gchar *value = g_key_file_get_locale_string(m_file.get(), "Desktop Entry", key, nullptr, nullptr);
        const QString text = fromGChar(value);
        g_free(value);
        return text;
    }
    bool boolean(const char *key) const { return g_key_file_get_boolean(m_file.get(), "Desktop Entry", key, nullptr); }

private:
    DesktopEntry()
        : m_file(g_key_file_new(), &g_key_file_free)
    {
    }
    std::shared_ptr<GKeyFile> m_file;
};

LinuxProcessTree::Entry entryOf(const QString &id, const QString &path, const DesktopEntry &entry)
{
    return {id, path, entry.localeString("Name"), !entry.boolean("NoDisplay") && !entry.boolean("Terminal")};
}

// The folders of desktop entries, the user's first.
QStringList entryRoots()
{
    return QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
}

// The folders of desktop entries with their modification times: adding,
// removing or renaming an entry changes its folder's time.
QJsonArray entryFolderStamp()
{
    QJsonArray stamp;
    for (const QString &root : entryRoots()) {
        QStringList folders{root};
        QDirIterator below(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (below.hasNext())
            folders.append(below.next());
        for (const QString &folder : std::as_const(folders)) {
            const QFileInfo info(folder);
            if (info.isDir())
                stamp.append(QJsonArray{folder, info.lastModified().toMSecsSinceEpoch()});
        }
    }
    return stamp;
}

} // namespace

QString LinuxProcessTree::programCachePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/quib/desktop-programs.json");
}

std::optional<LinuxProcessTree::Entry> LinuxProcessTree::entry(const QString &id) const
{
    if (id.isEmpty())
        return std::nullopt;
    if (auto it = m_entries.constFind(id); it != m_entries.constEnd())
        return *it;
    // An entry in a subfolder has the folder in its id ("kde4-foo" is
    // kde4/foo.desktop); the first folder that has the id wins.
    QStringList relativePaths{id + QStringLiteral(".desktop")};
    for (qsizetype dash = id.indexOf(u'-'); dash > 0; dash = id.indexOf(u'-', dash + 1))
        relativePaths.append(QString(id).replace(dash, 1, u'/') + QStringLiteral(".desktop"));
    std::optional<Entry> found;
    for (const QString &root : entryRoots()) {
        for (const QString &relative : std::as_const(relativePaths)) {
            const QString path = root + u'/' + relative;
            if (!QFileInfo::exists(path))
                continue;
            if (const auto entry = DesktopEntry::load(path))
                found = entryOf(id, path, *entry);
            m_entries.insert(id, found);
            return found;
        }
    }
    m_entries.insert(id, found);
    return found;
}

void LinuxProcessTree::loadPrograms() const
{
    if (m_programsLoaded)
        return;
    m_programsLoaded = true;
    const QJsonArray stamp = entryFolderStamp();
    QFile cache(m_programCache);
    if (cache.open(QIODevice::ReadOnly)) {
        const QJsonObject cached = QJsonDocument::fromJson(cache.readAll()).object();
        if (cached.value(QStringLiteral("stamp")).toArray() == stamp) {
            const QJsonObject programs = cached.value(QStringLiteral("programs")).toObject();
            for (auto it = programs.begin(); it != programs.end(); ++it)
                m_idsByProgram.insert(it.key(), it.value().toString());
            return;
        }
    }
    scanPrograms();
    QJsonObject programs;
    for (auto it = m_idsByProgram.constBegin(); it != m_idsByProgram.constEnd(); ++it)
        programs.insert(it.key(), it.value());
    // Only a shortcut for the next run: a failed write costs that run a scan.
    AtomicFile::write(m_programCache, QJsonDocument(QJsonObject{{QStringLiteral("stamp"), stamp}, {QStringLiteral("programs"), programs}}).toJson(QJsonDocument::Compact));
}

void LinuxProcessTree::scanPrograms() const
{
    QSet<QString> seen;
    for (const QString &root : entryRoots()) {
        QDirIterator files(root, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            QString id = QDir(root).relativeFilePath(path);
            id.chop(8);
            id.replace(u'/', u'-');
            // The user's entries hide the system's of the same id.
            if (seen.contains(id))
                continue;
            seen.insert(id);
            const auto entry = DesktopEntry::load(path);
            if (!entry)
                continue;
            m_entries.insert(id, entryOf(id, path, *entry));
            const QStringList programs{execProgram(entry->string("Exec")), programName(entry->string("TryExec")),
                                       entry->string("StartupWMClass").toLower()};
            for (const QString &program : programs) {
                // Entries that only open a file with another program say
                // nothing about who runs it.
                if (!program.isEmpty() && program != u"xdg-open" && program != u"sh" && program != u"env" && !m_idsByProgram.contains(program))
                    m_idsByProgram.insert(program, id);
            }
        }
    }
}

std::optional<LinuxProcessTree::Entry> LinuxProcessTree::entryForProcess(qint64 pid) const
{
    const QString executable = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath();
    if (!executable.isEmpty() && executable == QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath())
        return Entry{ownIdentifier, {}, QStringLiteral("Quib"), false};

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
        if (auto found = entry(QFileInfo(launchedFile).completeBaseName()))
            return found;
    }

    static const QRegularExpression scope(QStringLiteral("/app-(?:[^/]*?-)?([^/-][^/]*?)-[0-9a-f]+\\.scope$"));
    for (const QByteArray &line : readProcFile(pid, "cgroup").split('\n')) {
        QRegularExpressionMatch match = scope.match(QString::fromUtf8(line));
        if (match.hasMatch()) {
            QString id = match.captured(1);
            id.replace(QStringLiteral("\\x2d"), QStringLiteral("-"));
            if (auto found = entry(id))
                return found;
        }
    }

    const QByteArray commandLine = readProcFile(pid, "cmdline");
    const QStringList candidates{programName(executable), programName(QString::fromUtf8(commandLine.left(commandLine.indexOf('\0')))),
                                 QString::fromUtf8(readProcFile(pid, "comm")).trimmed().toLower()};
    for (const QString &candidate : candidates) {
        if (candidate.isEmpty())
            continue;
        loadPrograms();
        if (auto it = m_idsByProgram.constFind(candidate); it != m_idsByProgram.constEnd())
            return entry(*it);
        if (auto found = entry(candidate))
            return found;
    }
    return std::nullopt;
}

std::optional<ProcessTree::RunningApplication> LinuxProcessTree::runningApplication(qint64 pid) const
{
    if (pid <= 0)
        return std::nullopt;
    const auto found = entryForProcess(pid);
    if (!found)
        return std::nullopt;
    return RunningApplication{pid, found->id, found->name, found->isRegular};
}

std::optional<qint64> LinuxProcessTree::parentProcessIdentifier(qint64 pid) const
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
