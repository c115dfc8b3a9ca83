#include "Platform/Linux/LinuxProcessTable.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <set>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

LinuxProcessTable::LinuxProcessTable(std::string programCache)
    : m_programCache(std::move(programCache))
{
}

namespace {

std::string fromGChar(gchar *text)
{
    std::string value = text ? text : "";
    g_free(text);
    return value;
}

std::string readProcFile(long pid, const char *name)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::string> split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

std::string lowered(const std::string &text)
{
    return fromGChar(g_utf8_strdown(text.c_str(), -1));
}

std::string programName(const std::string &commandOrPath)
{
    return lowered(fs::path(commandOrPath).filename().string());
}

std::string canonical(const std::string &path)
{
    std::error_code error;
    const fs::path resolved = fs::canonical(path, error);
    return error ? std::string() : resolved.string();
}

// The program of an Exec line (quoted as a shell would), without an env
// prefix.
std::string execProgram(const std::string &exec)
{
    gchar **words = nullptr;
    if (exec.empty() || !g_shell_parse_argv(exec.c_str(), nullptr, &words, nullptr))
        return {};
    std::string program;
    for (gchar **word = words; *word; ++word) {
        const std::string text = *word;
        if (text == "env" || text.find('=') != std::string::npos)
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
    static std::optional<DesktopEntry> load(const std::string &path)
    {
        DesktopEntry entry;
        if (!g_key_file_load_from_file(entry.m_file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr) || entry.string("Type") != "Application"
            || entry.boolean("Hidden"))
            return std::nullopt;
        const std::string tryExec = entry.string("TryExec");
        if (!tryExec.empty() && fromGChar(g_find_program_in_path(tryExec.c_str())).empty())
            return std::nullopt;
        return entry;
    }

    std::string string(const char *key) const { return fromGChar(g_key_file_get_string(m_file.get(), "Desktop Entry", key, nullptr)); }
    std::string localeString(const char *key) const
    {
        return fromGChar(g_key_file_get_locale_string(m_file.get(), "Desktop Entry", key, nullptr, nullptr));
    }
    bool boolean(const char *key) const { return g_key_file_get_boolean(m_file.get(), "Desktop Entry", key, nullptr); }

private:
    DesktopEntry()
        : m_file(g_key_file_new(), &g_key_file_free)
    {
    }
    std::shared_ptr<GKeyFile> m_file;
};

LinuxProcessTable::Entry entryOf(const std::string &id, const std::string &path, const DesktopEntry &entry)
{
    return {id, path, entry.localeString("Name"), !entry.boolean("NoDisplay") && !entry.boolean("Terminal")};
}

// An absolute folder without a trailing separator, or nothing.
std::string cleanFolder(const std::string &path)
{
    if (path.empty() || path.front() != '/')
        return {};
    std::string clean = fs::path(path).lexically_normal().string();
    while (clean.size() > 1 && clean.back() == '/')
        clean.pop_back();
    return clean;
}

// An XDG base folder: `variable` when it names an absolute path, else
// `underHome` in the home folder.
std::string baseFolder(const char *variable, const char *underHome)
{
    const char *value = std::getenv(variable);
    if (value && *value == '/')
        return value;
    const char *home = std::getenv("HOME");
    return std::string(home ? home : "") + underHome;
}

// The folders of desktop entries as the XDG base directories name them, the
// user's first.
std::vector<std::string> entryRoots()
{
    std::vector<std::string> roots;
    const auto add = [&roots](const std::string &dataFolder) {
        const std::string folder = cleanFolder(dataFolder);
        if (folder.empty())
            return;
        const std::string root = folder + "/applications";
        if (std::find(roots.begin(), roots.end(), root) == roots.end())
            roots.push_back(root);
    };
    add(baseFolder("XDG_DATA_HOME", "/.local/share"));
    const char *dataDirs = std::getenv("XDG_DATA_DIRS");
    for (const std::string &folder : split(dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share", ':'))
        add(folder);
    return roots;
}

// The folders of desktop entries with their modification times, alternating:
// adding, removing or renaming an entry changes its folder's time.
std::vector<std::string> entryFolderStamp()
{
    std::vector<std::string> stamp;
    const auto addFolder = [&stamp](const fs::path &folder) {
        std::error_code error;
        const auto time = fs::last_write_time(folder, error);
        if (error || !fs::is_directory(folder, error))
            return;
        stamp.push_back(folder.string());
        stamp.push_back(std::to_string(time.time_since_epoch().count()));
    };
    for (const std::string &root : entryRoots()) {
        addFolder(root);
        std::error_code error;
        for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error), end; !error && it != end;
             it.increment(error)) {
            if (it->is_directory(error))
                addFolder(it->path());
        }
    }
    return stamp;
}

constexpr const char *cacheGroup = "Cache";

std::vector<std::string> stringList(GKeyFile *file, const char *key)
{
    gsize length = 0;
    gchar **values = g_key_file_get_string_list(file, cacheGroup, key, &length, nullptr);
    std::vector<std::string> list(values, values + (values ? length : 0));
    g_strfreev(values);
    return list;
}

void setStringList(GKeyFile *file, const char *key, const std::vector<std::string> &list)
{
    std::vector<const gchar *> values;
    for (const std::string &value : list)
        values.push_back(value.c_str());
    g_key_file_set_string_list(file, cacheGroup, key, values.data(), values.size());
}

} // namespace

std::string LinuxProcessTable::programCachePath()
{
    return baseFolder("XDG_CACHE_HOME", "/.cache") + "/quib/desktop-programs.cache";
}

std::optional<LinuxProcessTable::Entry> LinuxProcessTable::entry(const std::string &id) const
{
    if (id.empty())
        return std::nullopt;
    if (const auto it = m_entries.find(id); it != m_entries.end())
        return it->second;
    // An entry in a subfolder has the folder in its id ("kde4-foo" is
    // kde4/foo.desktop); the first folder that has the id wins.
    std::vector<std::string> relativePaths{id + ".desktop"};
    for (std::size_t dash = id.find('-'); dash != std::string::npos && dash > 0; dash = id.find('-', dash + 1))
        relativePaths.push_back(std::string(id).replace(dash, 1, "/") + ".desktop");
    std::optional<Entry> found;
    for (const std::string &root : entryRoots()) {
        for (const std::string &relative : relativePaths) {
            const std::string path = root + '/' + relative;
            std::error_code error;
            if (!fs::exists(path, error))
                continue;
            if (const auto entry = DesktopEntry::load(path))
                found = entryOf(id, path, *entry);
            m_entries.emplace(id, found);
            return found;
        }
    }
    m_entries.emplace(id, found);
    return found;
}

void LinuxProcessTable::loadPrograms() const
{
    if (m_programsLoaded)
        return;
    m_programsLoaded = true;
    const std::vector<std::string> stamp = entryFolderStamp();
    const std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> cache(g_key_file_new(), &g_key_file_free);
    if (g_key_file_load_from_file(cache.get(), m_programCache.c_str(), G_KEY_FILE_NONE, nullptr) && stringList(cache.get(), "Folders") == stamp) {
        const std::vector<std::string> programs = stringList(cache.get(), "Programs");
        for (std::size_t i = 0; i + 1 < programs.size(); i += 2)
            m_idsByProgram.emplace(programs[i], programs[i + 1]);
        return;
    }
    scanPrograms();
    std::vector<std::string> programs;
    for (const auto &[program, id] : m_idsByProgram) {
        programs.push_back(program);
        programs.push_back(id);
    }
    const std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> written(g_key_file_new(), &g_key_file_free);
    setStringList(written.get(), "Folders", stamp);
    setStringList(written.get(), "Programs", programs);
    gsize length = 0;
    gchar *data = g_key_file_to_data(written.get(), &length, nullptr);
    // Only a shortcut for the next run: a failed write costs that run a scan.
    const std::string folder = fs::path(m_programCache).parent_path().string();
    if (g_mkdir_with_parents(folder.c_str(), 0700) == 0)
        g_file_set_contents_full(m_programCache.c_str(), data, static_cast<gssize>(length), G_FILE_SET_CONTENTS_CONSISTENT, 0644, nullptr);
    g_free(data);
}

void LinuxProcessTable::scanPrograms() const
{
    std::set<std::string> seen;
    for (const std::string &root : entryRoots()) {
        std::error_code error;
        for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error), end; !error && it != end;
             it.increment(error)) {
            const fs::path &path = it->path();
            if (path.extension() != ".desktop" || !it->is_regular_file(error))
                continue;
            std::string id = path.lexically_relative(root).string();
            id.resize(id.size() - 8);
            std::replace(id.begin(), id.end(), '/', '-');
            // The user's entries hide the system's of the same id.
            if (!seen.insert(id).second)
                continue;
            const auto entry = DesktopEntry::load(path.string());
            if (!entry)
                continue;
            m_entries.insert_or_assign(id, entryOf(id, path.string(), *entry));
            for (const std::string &program : {execProgram(entry->string("Exec")), programName(entry->string("TryExec")), lowered(entry->string("StartupWMClass"))}) {
                // Entries that only open a file with another program say
                // nothing about who runs it.
                if (!program.empty() && program != "xdg-open" && program != "sh" && program != "env")
                    m_idsByProgram.emplace(program, id);
            }
        }
    }
}

std::optional<LinuxProcessTable::Entry> LinuxProcessTable::entryForProcess(long pid) const
{
    const std::string process = "/proc/" + std::to_string(pid);
    const std::string executable = canonical(process + "/exe");
    if (!m_ownExecutable)
        m_ownExecutable = canonical("/proc/self/exe");
    if (!executable.empty() && executable == *m_ownExecutable)
        return Entry{ownIdentifier, {}, "Quib", false};

    std::string launchedFile;
    bool launchedHere = false;
    for (const std::string &variable : split(readProcFile(pid, "environ"), '\0')) {
        if (variable.starts_with("GIO_LAUNCHED_DESKTOP_FILE="))
            launchedFile = variable.substr(26);
        else if (variable.starts_with("GIO_LAUNCHED_DESKTOP_FILE_PID="))
            launchedHere = std::strtol(variable.c_str() + 30, nullptr, 10) == pid;
    }
    if (launchedHere && !launchedFile.empty()) {
        if (auto found = entry(fs::path(launchedFile).stem().string()))
            return found;
    }

    static const std::regex scope(R"(/app-(?:[^/]*?-)?([^/-][^/]*?)-[0-9a-f]+\.scope$)");
    for (const std::string &line : split(readProcFile(pid, "cgroup"), '\n')) {
        std::smatch match;
        if (!std::regex_search(line, match, scope))
            continue;
        std::string id = match.str(1);
        for (std::size_t escape; (escape = id.find("\\x2d")) != std::string::npos;)
            id.replace(escape, 4, "-");
        if (auto found = entry(id))
            return found;
    }

    const std::string commandLine = readProcFile(pid, "cmdline");
    std::string command = readProcFile(pid, "comm");
    while (!command.empty() && g_ascii_isspace(command.back()))
        command.pop_back();
    for (const std::string &candidate : {programName(executable), programName(commandLine.substr(0, commandLine.find('\0'))), lowered(command)}) {
        if (candidate.empty())
            continue;
        loadPrograms();
        if (const auto it = m_idsByProgram.find(candidate); it != m_idsByProgram.end())
            return entry(it->second);
        if (auto found = entry(candidate))
            return found;
    }
    return std::nullopt;
}

std::optional<ProcessTable::Application> LinuxProcessTable::application(long pid) const
{
    if (pid <= 0)
        return std::nullopt;
    const auto found = entryForProcess(pid);
    if (!found)
        return std::nullopt;
    return Application{found->id, found->isRegular};
}

std::optional<long> LinuxProcessTable::parent(long pid) const
{
    // /proc/<pid>/stat: "pid (comm) state ppid ..."; comm may hold spaces and
    // parentheses, so read after the last ')'.
    const std::string stat = readProcFile(pid, "stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    const std::vector<std::string> fields = split(stat.substr(std::min(close + 2, stat.size())), ' ');
    if (fields.size() < 2 || fields[1].empty())
        return std::nullopt;
    char *end = nullptr;
    const long parent = std::strtol(fields[1].c_str(), &end, 10);
    return *end == '\0' ? std::optional<long>(parent) : std::nullopt;
}
