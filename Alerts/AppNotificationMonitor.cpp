#include "Alerts/AppNotificationMonitor.h"

#include "Alerts/NotificationDatabaseReader.h"
#include "Alerts/NotificationPayload.h"
#include "App/AppModel.h"
#include "Platform/NotificationDatabase.h"
#include "Platform/UserDefaults.h"
#include "Platform/Workspace.h"
#include "Settings/SettingsStyle.h"
#include "Support/AtomicFile.h"

#include <QCollator>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {

const QString schemaFile = QStringLiteral("/tmp/quib-notifdb.txt");
const QString recentFile = QStringLiteral("/tmp/quib-notifrecent.txt");
// This app's own notifications never come back as banners (the desktop-entry
// id the workspace gives this app).
const QString ownBundleIdentifier = QStringLiteral("com.brenvask.Quib");

QString applicationName(const Workspace &workspace, const QString &url)
{
    return workspace.displayName(url).remove(QStringLiteral(".app"));
}

} // namespace

// What a poll found, handed from the database thread to the main thread.
struct AppNotificationMonitor::Poll {
    // Whether the poll tried to open the database, and the outcome.
    bool attemptedOpen = false;
    bool opened = false;
    QList<NotificationDatabaseReader::Record> records;
    // The application table, when the known applications must be rebuilt.
    std::optional<QStringList> identifiers;
};

QString AppNotificationMonitor::databasePath()
{
    static const QString path = NotificationDatabase::defaultPath();
    return path;
}

AppNotificationMonitor::AppNotificationMonitor(AppModel &model, FocusName focusName, const QString &path)
    : m_model(model)
    , m_focusName(std::move(focusName))
    , m_path(path)
    , m_timer(model.services().scheduler)
    , m_worker(new QObject)
    , m_reader(std::make_unique<NotificationDatabaseReader>())
{
    m_thread.setObjectName(QStringLiteral("quib-notifications"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    m_timer.start(pollInterval, [this] { tick(); });
    tick();
}

AppNotificationMonitor::~AppNotificationMonitor()
{
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

void AppNotificationMonitor::onDatabaseThread(std::function<void(NotificationDatabaseReader &)> work)
{
    QMetaObject::invokeMethod(m_worker, [reader = m_reader.get(), work = std::move(work)] { work(*reader); }, Qt::QueuedConnection);
}

void AppNotificationMonitor::tick()
{
    if (m_isPolling)
        return;
    m_isPolling = true;
    if (!m_model.preferences.appNotifications.value()) {
        onDatabaseThread([this](NotificationDatabaseReader &reader) {
            reader.close();
            QMetaObject::invokeMethod(this, [this] { finish(Poll()); }, Qt::QueuedConnection);
        });
        return;
    }

    QSet<QString> known;
    for (const KnownApp &app : m_knownApps.value())
        known.insert(app.id);
    const bool writesSchema = m_model.services().defaults.boolForKey(QStringLiteral("debugHooks"));
    onDatabaseThread([this, path = m_path, known, writesSchema](NotificationDatabaseReader &reader) {
        Poll poll;
        if (!reader.isOpen()) {
            poll.attemptedOpen = true;
            poll.opened = reader.open(path);
            if (poll.opened) {
                poll.identifiers = reader.identifiers();
                if (writesSchema)
                    AtomicFile::write(schemaFile, reader.schemaText().toUtf8());
            }
        }
        if (reader.isOpen()) {
            poll.records = reader.readNew().value_or(QList<NotificationDatabaseReader::Record>());
            const bool meetsUnknownApp = std::any_of(poll.records.cbegin(), poll.records.cend(), [&](const auto &record) {
                return !known.contains(record.identifier);
            });
            if (meetsUnknownApp && !poll.identifiers)
                poll.identifiers = reader.identifiers();
        }
        QMetaObject::invokeMethod(this, [this, poll] { finish(poll); }, Qt::QueuedConnection);
    });
}

void AppNotificationMonitor::finish(const Poll &poll)
{
    m_isPolling = false;
    if (poll.attemptedOpen)
        m_hasAccess = poll.opened;
    if (poll.identifiers)
        loadKnownApps(*poll.identifiers);

    // One banner per application, with its latest text; the applications in
    // the order of their first new record, the newest three of them.
    QStringList order;
    QHash<QString, QByteArray> latest;
    for (const auto &record : poll.records) {
        if (!latest.contains(record.identifier))
            order.append(record.identifier);
        latest.insert(record.identifier, record.payload);
    }
    for (const QString &app : order.mid(std::max<qsizetype>(0, order.size() - banneredAppsPerPoll)))
        show(app, latest.value(app));
    Q_EMIT polled();
}

void AppNotificationMonitor::loadKnownApps(const QStringList &identifiers)
{
    const Workspace &workspace = m_model.services().workspace;
    QList<KnownApp> apps;
    for (const QString &identifier : identifiers) {
        if (const auto url = workspace.urlForApplication(identifier))
            apps.append({identifier, applicationName(workspace, *url)});
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(apps.begin(), apps.end(), [&](const KnownApp &a, const KnownApp &b) { return collator.compare(a.name, b.name) < 0; });
    m_knownApps = apps;
}

void AppNotificationMonitor::show(const QString &app, const QByteArray &data)
{
    const Preferences &preferences = m_model.preferences;
    const Workspace &workspace = m_model.services().workspace;
    if (preferences.mutedNotificationApps.value().contains(app))
        return;
    const QString bundleID = realBundleID(app);
    if (bundleID == ownBundleIdentifier)
        return;
    if (m_focusName && m_focusName())
        return;
    if (preferences.externalSkipFrontmost.value()) {
        if (const auto frontmost = workspace.frontmostApplication(); frontmost && frontmost->bundleIdentifier.toLower() == app.toLower())
            return;
    }
    const auto texts = NotificationPayload::decode(data);
    if (!texts)
        return;

    const auto url = workspace.urlForApplication(app);
    const QString name = url ? applicationName(workspace, *url) : texts->title;
    QString headline = texts->title.isEmpty() ? name : texts->title;
    QStringList parts;
    for (const QString &part : {texts->subtitle, texts->body}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    QString text = parts.join(QStringLiteral(" · "));
    if (preferences.hideNotificationContent.value()) {
        headline = name;
        text = QStringLiteral("Nova notificação");
    }
    if (headline.isEmpty() && text.isEmpty())
        return;

    NotchBanner banner;
    banner.title = headline;
    banner.body = text;
    banner.color = SettingsStyle::accent();
    banner.appBundleID = bundleID;
    banner.duration = preferences.notificationDuration.value();
    m_model.banners.show(banner);
}

QString AppNotificationMonitor::realBundleID(const QString &app)
{
    if (const auto cached = m_bundleIDs.constFind(app); cached != m_bundleIDs.constEnd())
        return *cached;
    QString real = app;
    if (const auto url = m_model.services().workspace.urlForApplication(app)) {
        // A desktop entry's id is its file name without ".desktop".
        if (const QString id = QFileInfo(*url).completeBaseName(); !id.isEmpty())
            real = id;
    }
    m_bundleIDs.insert(app, real);
    return real;
}

void AppNotificationMonitor::debugDumpRecent()
{
    onDatabaseThread([](NotificationDatabaseReader &reader) { AtomicFile::write(recentFile, reader.recentText().toUtf8()); });
}

void AppNotificationMonitor::openFullDiskAccessSettings()
{
    m_model.permissions.openSettings(PermissionKind::fullDiskAccess);
}
