#include "Alerts/FocusMonitor.h"

#include "App/AppModel.h"
#include "Platform/FocusFiles.h"
#include "Platform/Symbols.h"
#include "Support/AtomicFile.h"
#include "Support/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <utility>

namespace {

const QString focusName = QStringLiteral("Foco");
const QString fallbackSymbol = QStringLiteral("moon.fill");

QColor focusColor()
{
    return QColor::fromRgbF(0.55f, 0.5f, 1.0f, 1.0f);
}

// The top-level dictionary of a JSON file; none when the file cannot be read
// or holds anything else.
std::optional<QJsonObject> readDictionary(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

// `value` as an array whose every element is a dictionary, else none.
std::optional<QList<QJsonObject>> dictionaries(const QJsonValue &value)
{
    if (!value.isArray())
        return std::nullopt;
    QList<QJsonObject> result;
    for (const QJsonValue element : value.toArray()) {
        if (!element.isObject())
            return std::nullopt;
        result.append(element.toObject());
    }
    return result;
}

// The "data" array of the file's dictionary, its empty elements left out.
std::optional<QList<QJsonObject>> dataElements(const QString &path)
{
    const std::optional<QJsonObject> top = readDictionary(path);
    if (!top)
        return std::nullopt;
    std::optional<QList<QJsonObject>> elements = dictionaries(top->value(QStringLiteral("data")));
    if (elements)
        elements->removeIf([](const QJsonObject &element) { return element.isEmpty(); });
    return elements;
}

QString filePath(const QString &folder, const char *name)
{
    return QDir(folder).filePath(QString::fromLatin1(name));
}

} // namespace

const QString FocusMonitor::defaultModeIdentifier = QStringLiteral("com.apple.donotdisturb.mode.default");
const QString FocusMonitor::debugFilePath = QStringLiteral("/tmp/quib-focus.txt");

FocusMonitor::FocusMonitor(AppModel &model, QString folder, BackgroundRunner runner)
    : m_model(model)
    , m_folder(std::move(folder))
    , m_runner(runnerOrGlobalThreadPool(std::move(runner)))
    , m_self(std::make_shared<FocusMonitor *>(this))
    , m_source([this](FolderWatch::Event event) { folderChanged(event); })
    , m_debounce(model.services().scheduler)
    , m_retryTimer(model.services().scheduler)
{
    start();
}

FocusMonitor::~FocusMonitor() = default;

QString FocusMonitor::directory()
{
    return FocusFiles::directory();
}

void FocusMonitor::start()
{
    if (m_source.isWatching())
        return;
    if (!m_source.watch(m_folder)) {
        m_hasAccess = false;
        scheduleRetry();
        return;
    }
    m_hasAccess = true;
    m_retryTimer.stop();
    // The state at start is taken over without an alert.
    read(Announce::no);
}

void FocusMonitor::scheduleRetry()
{
    if (m_retryTimer.isActive())
        return;
    m_retryTimer.start(retryInterval, [this] { start(); });
}

void FocusMonitor::scheduleRead()
{
    m_debounce.start(readDelay, [this] { read(Announce::yes); });
}

// An entry of the folder was added, removed or renamed, or the folder itself
// went away (deleted, or moved aside to be replaced): the watch then ended,
// so the monitor waits for the folder again.
void FocusMonitor::folderChanged(FolderWatch::Event event)
{
    if (event == FolderWatch::Event::folderGone) {
        qCInfo(lcAlerts, "Quib: the Focus folder %s is gone; waiting for it", qPrintable(m_folder));
        scheduleRetry();
    }
    scheduleRead();
}

void FocusMonitor::read(Announce announce)
{
    const quint64 number = ++m_lastRead;
    m_runner([monitor = std::weak_ptr<FocusMonitor *>(m_self), folder = m_folder, number, announce] {
        const Reading reading = readFolder(folder);
        // The application object lives as long as the process; the monitor
        // is looked up again on the main thread, where it is destroyed.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [monitor, number, reading, announce] {
                const auto self = monitor.lock();
                if (self && number == (*self)->m_lastRead)
                    (*self)->apply(reading, announce);
            },
            Qt::QueuedConnection);
    });
}

FocusMonitor::Reading FocusMonitor::readFolder(const QString &folder)
{
    Reading reading;
    reading.identifier = activeModeIdentifier(folder);
    if (reading.identifier)
        reading.info = modeInfo(folder, *reading.identifier);
    return reading;
}

void FocusMonitor::apply(const Reading &reading, Announce announce)
{
    if (m_started && reading.identifier == m_activeIdentifier)
        return;
    // The first reading is the state found at start, never a change.
    const bool announces = announce == Announce::yes && m_started;
    const std::optional<QString> previous = std::exchange(m_activeIdentifier, reading.identifier);
    std::optional<QString> name;
    if (reading.identifier)
        name = reading.info ? reading.info->name : focusName;
    m_activeName = name;
    m_started = true;

    if (!announces || !m_model.preferences.focusAlerts.value())
        return;
    if (name)
        announceChange(true, reading.info ? std::optional(reading.info->symbol) : std::nullopt);
    else if (previous)
        announceChange(false, std::nullopt);
}

std::optional<QString> FocusMonitor::activeModeIdentifier(const QString &folder)
{
    const std::optional<QList<QJsonObject>> elements = dataElements(filePath(folder, FocusFiles::assertionsName));
    if (!elements)
        return std::nullopt;
    for (const QJsonObject &element : *elements) {
        const std::optional<QList<QJsonObject>> records = dictionaries(element.value(QStringLiteral("storeAssertionRecords")));
        if (!records || records->isEmpty())
            continue;
        for (const QJsonObject &record : *records) {
            const QJsonValue details = record.value(QStringLiteral("assertionDetails"));
            const QJsonValue identifier = details.toObject().value(QStringLiteral("assertionDetailsModeIdentifier"));
            if (identifier.isString())
                return identifier.toString();
        }
        // Assertions that name no mode are the default Do Not Disturb.
        return defaultModeIdentifier;
    }
    return std::nullopt;
}

std::optional<FocusMonitor::ModeInfo> FocusMonitor::modeInfo(const QString &folder, const QString &identifier)
{
    const std::optional<QList<QJsonObject>> elements = dataElements(filePath(folder, FocusFiles::modeConfigurationsName));
    if (!elements)
        return std::nullopt;
    for (const QJsonObject &element : *elements) {
        const QJsonObject configurations = element.value(QStringLiteral("modeConfigurations")).toObject();
        const QJsonValue configuration = configurations.value(identifier);
        const QJsonValue mode = configuration.toObject().value(QStringLiteral("mode"));
        if (!configuration.isObject() || !mode.isObject())
            continue;
        const QJsonValue name = mode.toObject().value(QStringLiteral("name"));
        const QJsonValue symbol = mode.toObject().value(QStringLiteral("symbolImageName"));
        ModeInfo info{name.isString() ? name.toString() : focusName, symbol.isString() ? symbol.toString() : fallbackSymbol};
        if (!Symbols::filePath(info.symbol))
            info.symbol = fallbackSymbol;
        return info;
    }
    return std::nullopt;
}

void FocusMonitor::announceChange(bool on, const std::optional<QString> &symbol)
{
    const QColor offColor = QColor::fromRgbF(1, 1, 1, 0.6f);
    NotchAlert alert;
    alert.kind = AlertKind::focus;
    alert.symbol = on ? symbol.value_or(fallbackSymbol) : QStringLiteral("moon");
    alert.symbolColor = on ? focusColor() : offColor;
    alert.title = focusName;
    alert.trailing = on ? QStringLiteral("On") : QStringLiteral("Off");
    alert.trailingColor = on ? focusColor() : offColor;
    alert.sideWidth = 78;
    m_model.alerts.show(alert, m_model.preferences.focusDuration.value());
}

void FocusMonitor::openFullDiskAccessSettings()
{
    m_model.permissions.openSettings(PermissionKind::fullDiskAccess);
}

void FocusMonitor::debugCheck(const QString &path)
{
    m_runner([access = hasAccess(), folder = m_folder, path] {
        const bool readable = readDictionary(filePath(folder, FocusFiles::assertionsName)).has_value();
        const QString line = QStringLiteral("access=%1 assertionsReadable=%2 active=%3")
                                 .arg(access ? QStringLiteral("true") : QStringLiteral("false"), readable ? QStringLiteral("true") : QStringLiteral("false"),
                                      activeModeIdentifier(folder).value_or(QStringLiteral("none")));
        AtomicFile::write(path, line.toUtf8());
    });
}
