#include "App/Integrations.h"

#include "App/CommandLineTool.h"
#include "Platform/UserDefaults.h"
#include "Support/AtomicFile.h"
#include "Support/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <algorithm>
#include <filesystem>
#include <system_error>

const QStringList Integrations::hookEvents{QStringLiteral("Stop"), QStringLiteral("Notification")};
const QString Integrations::hookMarker = QStringLiteral("quib claude-hook");
const QString Integrations::statusLineMarker = QStringLiteral("quib claude-statusline");
const QString Integrations::previousStatusLineJSONKey = QStringLiteral("claudePreviousStatusLineJSON");

namespace {

const QString hooksKey = QStringLiteral("hooks");
const QString commandKey = QStringLiteral("command");
const QString statusLineKey = QStringLiteral("statusLine");
// The program's own link names a program of this name, wherever it lies.
const QString programName = QStringLiteral("quib");

std::filesystem::path fileSystemPath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString describe(const std::error_code &error)
{
    return QString::fromLocal8Bit(error.message());
}

QString describe(std::errc error)
{
    return describe(std::make_error_code(error));
}

bool isArrayOfObjects(const QJsonValue &value)
{
    if (!value.isArray())
        return false;
    const QJsonArray array = value.toArray();
    return std::all_of(array.begin(), array.end(), [](const QJsonValue &member) { return member.isObject(); });
}

bool runsOurHook(const QJsonValue &hook)
{
    const QJsonValue command = hook.toObject().value(commandKey);
    return command.isString() && command.toString().contains(Integrations::hookMarker);
}

// The entry added for each hook event.
QJsonObject ourEntry()
{
    const QJsonObject hook{{QStringLiteral("type"), QStringLiteral("command")},
                           {commandKey, Integrations::commandPath() + QStringLiteral(" claude-hook")},
                           {QStringLiteral("timeout"), 5}};
    return QJsonObject{{hooksKey, QJsonArray{hook}}};
}

QString linkError(const QString &description)
{
    return QStringLiteral("Não deu para criar ") + Integrations::commandPath() + QStringLiteral(": ") + description;
}

QString settingsError(const QString &description)
{
    return QStringLiteral("Não deu para atualizar ") + Integrations::claudeSettingsPath() + QStringLiteral(": ") + description;
}

} // namespace

QString Integrations::commandPath()
{
    return QDir::homePath() + QStringLiteral("/.local/bin/quib");
}

QString Integrations::claudeSettingsPath()
{
    return QDir::homePath() + QStringLiteral("/.claude/settings.json");
}

QString Integrations::claudeSettingsBackupPath()
{
    return claudeSettingsPath() + QStringLiteral(".quib-backup");
}

std::optional<QString> Integrations::runningExecutable()
{
    const QString path = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

Integrations::Integrations(UserDefaults &defaults, std::optional<QString> executable)
    : m_defaults(defaults)
    , m_executable(std::move(executable))
{
    m_files.setMaxThreadCount(1);
    m_files.setObjectName(QStringLiteral("quib.integrations.files"));
}

Integrations::~Integrations() = default;

void Integrations::refresh()
{
    enqueue([] { return Outcome{false, std::nullopt, readFlags()}; });
}

void Integrations::installCommand()
{
    enqueue([executable = m_executable] {
        QString error;
        if (!linkCommand(executable, error))
            return finished(linkError(error));
        return finished();
    });
}

void Integrations::uninstallCommand()
{
    enqueue([] {
        if (linkTarget()) {
            std::error_code ignored;
            std::filesystem::remove(fileSystemPath(commandPath()), ignored);
        }
        return finished();
    });
}

void Integrations::repairCommandLink()
{
    enqueue([executable = m_executable] {
        const std::optional<QString> target = linkTarget();
        QString error;
        if (target && executable && *target != *executable && !linkCommand(executable, error))
            qCInfo(lcApp, "Quib: could not repair the command link %s: %s", qPrintable(commandPath()), qPrintable(error));
        return Outcome{};
    });
}

void Integrations::connectClaudeCode()
{
    enqueue([executable = m_executable] { return connectHooks(executable); });
}

Integrations::Outcome Integrations::connectHooks(const std::optional<QString> &executable)
{
    // The link as it is now, rather than the flag: results of earlier
    // actions may still be on their way to the main thread.
    if (!linkTarget()) {
        QString error;
        if (!linkCommand(executable, error))
            return finished(linkError(error));
    }
    return changeClaudeSettings([](QJsonObject &settings) {
        QJsonObject hooks = settings.value(hooksKey).toObject();
        for (const QString &event : hookEvents) {
            QJsonArray kept = removingOurHooks(hooks.value(event));
            kept.append(ourEntry());
            hooks.insert(event, kept);
        }
        settings.insert(hooksKey, hooks);
        return true;
    });
}

void Integrations::disconnectClaudeCode()
{
    enqueue([] {
        return changeClaudeSettings([](QJsonObject &settings) {
            if (!settings.value(hooksKey).isObject())
                return false;
            QJsonObject hooks = settings.value(hooksKey).toObject();
            for (const QString &event : hookEvents) {
                const QJsonArray kept = removingOurHooks(hooks.value(event));
                if (kept.isEmpty())
                    hooks.remove(event);
                else
                    hooks.insert(event, kept);
            }
            if (hooks.isEmpty())
                settings.remove(hooksKey);
            else
                settings.insert(hooksKey, hooks);
            return true;
        });
    });
}

void Integrations::disconnectStatusLine()
{
    // The defaults live on the main thread: read here, removed when the
    // outcome arrives.
    const QVariant saved = m_defaults.object(previousStatusLineJSONKey);
    std::optional<QJsonObject> previous;
    if (saved.typeId() == QMetaType::QByteArray) {
        const QJsonDocument document = QJsonDocument::fromJson(saved.toByteArray());
        if (document.isObject())
            previous = document.object();
    }
    enqueue([previous] {
        bool read = false;
        Outcome outcome = changeClaudeSettings([&](QJsonObject &settings) {
            read = true;
            if (previous)
                settings.insert(statusLineKey, *previous);
            else
                settings.remove(statusLineKey);
            return true;
        });
        outcome.forgetPreviousStatusLine = read;
        return outcome;
    });
}

void Integrations::enqueue(std::function<Outcome()> work)
{
    ++m_pending;
    m_files.start([this, work = std::move(work)] {
        Outcome outcome = work();
        QMetaObject::invokeMethod(&m_receiver, [this, outcome] { apply(outcome); }, Qt::QueuedConnection);
    });
}

void Integrations::apply(const Outcome &outcome)
{
    --m_pending;
    if (outcome.forgetPreviousStatusLine) {
        m_defaults.removeObject(CommandLineTool::previousStatusLineKey);
        m_defaults.removeObject(previousStatusLineJSONKey);
    }
    if (outcome.replacesLastError)
        m_lastError = outcome.lastError;
    if (outcome.flags) {
        m_commandInstalled = outcome.flags->commandInstalled;
        m_claudeConnected = outcome.flags->claudeConnected;
        m_statusLineConnected = outcome.flags->statusLineConnected;
    }
}

Integrations::Flags Integrations::readFlags()
{
    return Flags{linkTarget().has_value(), claudeHooksInstalled(), statusLineInstalled()};
}

Integrations::Outcome Integrations::changeClaudeSettings(const std::function<bool(QJsonObject &)> &change)
{
    QJsonObject settings;
    QString error;
    if (!readClaudeSettings(settings, error))
        return finished(settingsError(error));
    if (!change(settings))
        return Outcome{true, std::nullopt, std::nullopt};
    if (!writeClaudeSettings(settings, error))
        return finished(settingsError(error));
    return finished();
}

Integrations::Outcome Integrations::finished(std::optional<QString> error)
{
    return Outcome{true, std::move(error), readFlags()};
}

// Only a link that counts as the command is made: one to a program of
// another name would leave "Instalar" on screen with no word of why.
bool Integrations::linkCommand(const std::optional<QString> &executable, QString &error)
{
    if (!executable) {
        error = QStringLiteral("o caminho do programa em execução é desconhecido");
        return false;
    }
    if (QFileInfo(*executable).fileName() != programName) {
        error = QStringLiteral("o programa em execução (%1) não se chama %2").arg(*executable, programName);
        return false;
    }
    const std::filesystem::path link = fileSystemPath(commandPath());
    std::error_code failure;
    std::filesystem::create_directories(link.parent_path(), failure);
    if (failure) {
        error = describe(failure);
        return false;
    }
    const std::filesystem::file_status status = std::filesystem::symlink_status(link, failure);
    if (std::filesystem::is_symlink(status)) {
        std::filesystem::remove(link, failure);
        if (failure) {
            error = describe(failure);
            return false;
        }
    } else if (std::filesystem::exists(status)) {
        // Whatever is there is someone else's: never replaced.
        error = describe(std::errc::file_exists);
        return false;
    }
    std::filesystem::create_symlink(fileSystemPath(*executable), link, failure);
    if (failure) {
        error = describe(failure);
        return false;
    }
    return true;
}

std::optional<QString> Integrations::linkTarget()
{
    const QFileInfo link(commandPath());
    if (!link.isSymLink())
        return std::nullopt;
    const QString target = link.symLinkTarget();
    if (QFileInfo(target).fileName() != programName)
        return std::nullopt;
    return target;
}

// A file that exists but cannot be read is an error, not an empty object:
// writing over it would lose what it holds.
bool Integrations::readClaudeSettings(QJsonObject &settings, QString &error)
{
    settings = QJsonObject();
    const QFileInfo info(claudeSettingsPath());
    if (!info.exists())
        return true;
    if (info.isDir()) {
        error = describe(std::errc::is_a_directory);
        return false;
    }
    QFile file(info.filePath());
    const QByteArray contents = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    if (contents.isEmpty())
        return true;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(contents, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = QStringLiteral("not valid JSON (%1 at offset %2)").arg(parseError.errorString()).arg(parseError.offset);
        return false;
    }
    if (!document.isObject()) {
        error = QStringLiteral("not a JSON object");
        return false;
    }
    settings = document.object();
    return true;
}

// Through a symbolic link the target is written and the link stays
// (QSaveFile resolves it).
bool Integrations::writeClaudeSettings(const QJsonObject &settings, QString &error)
{
    const QString path = claudeSettingsPath();
    // Both create the folder when missing.
    if (!AtomicFile::backUpOnce(path, claudeSettingsBackupPath(), &error))
        return false;
    // Indented output already ends with one line feed; keys come out sorted
    // and slashes unescaped.
    return AtomicFile::write(path, QJsonDocument(settings).toJson(QJsonDocument::Indented), &error);
}

QJsonArray Integrations::removingOurHooks(const QJsonValue &entries)
{
    QJsonArray kept;
    if (!isArrayOfObjects(entries))
        return kept;
    for (const QJsonValue &entry : entries.toArray()) {
        const QJsonObject object = entry.toObject();
        const QJsonValue hooks = object.value(hooksKey);
        if (!isArrayOfObjects(hooks)) {
            kept.append(entry);
            continue;
        }
        QJsonArray others;
        for (const QJsonValue &hook : hooks.toArray()) {
            if (!runsOurHook(hook))
                others.append(hook);
        }
        if (others.isEmpty())
            continue;
        QJsonObject changed = object;
        changed.insert(hooksKey, others);
        kept.append(changed);
    }
    return kept;
}

bool Integrations::claudeHooksInstalled()
{
    QJsonObject settings;
    QString error;
    if (!readClaudeSettings(settings, error))
        return false;
    const QJsonObject hooks = settings.value(hooksKey).toObject();
    return std::all_of(hookEvents.begin(), hookEvents.end(), [&](const QString &event) {
        const QJsonArray entries = hooks.value(event).toArray();
        return std::any_of(entries.begin(), entries.end(), [](const QJsonValue &entry) {
            const QJsonArray entryHooks = entry.toObject().value(hooksKey).toArray();
            return std::any_of(entryHooks.begin(), entryHooks.end(), runsOurHook);
        });
    });
}

bool Integrations::statusLineInstalled()
{
    QJsonObject settings;
    QString error;
    if (!readClaudeSettings(settings, error))
        return false;
    const QJsonValue command = settings.value(statusLineKey).toObject().value(commandKey);
    return command.isString() && command.toString().contains(statusLineMarker);
}
