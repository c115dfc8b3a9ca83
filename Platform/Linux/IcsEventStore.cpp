#include "Platform/Linux/IcsEventStore.h"

#include "Support/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <libical/ical.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>

namespace {

constexpr int coalesceMilliseconds = 200;
constexpr qint64 secondsPerDay = 86400;

struct ComponentDeleter {
    void operator()(icalcomponent *component) const { icalcomponent_free(component); }
};
using ComponentPointer = std::unique_ptr<icalcomponent, ComponentDeleter>;

// Hands libical one line at a time and ends the input early once the load
// is cancelled, so quitting never waits for a large file.
struct LineSource {
    const QByteArray &data;
    const std::atomic<bool> &cancelled;
    qsizetype position = 0;
};

char *nextLine(char *out, size_t size, void *data)
{
    auto *source = static_cast<LineSource *>(data);
    if (source->cancelled.load(std::memory_order_relaxed) || source->position >= source->data.size() || size < 2)
        return nullptr;
    const char *begin = source->data.constData() + source->position;
    qsizetype length = std::min<qsizetype>(source->data.size() - source->position, qsizetype(size) - 1);
    if (const void *newline = std::memchr(begin, '\n', size_t(length)))
        length = static_cast<const char *>(newline) - begin + 1;
    std::memcpy(out, begin, size_t(length));
    out[length] = '\0';
    source->position += length;
    return out;
}

ComponentPointer parseFile(const QString &path, const std::atomic<bool> &cancelled)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray data = file.readAll();
    if (data.isEmpty())
        return nullptr;
    LineSource source{data, cancelled};
    icalparser *parser = icalparser_new();
    icalparser_set_gen_data(parser, &source);
    ComponentPointer root(icalparser_parse(parser, nextLine));
    icalparser_free(parser);
    return cancelled.load() ? nullptr : std::move(root);
}

// The VCALENDAR components of a parsed file (a file may hold several).
QList<icalcomponent *> calendarsOf(icalcomponent *root)
{
    QList<icalcomponent *> found;
    if (!root)
        return found;
    if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT) {
        found.append(root);
        return found;
    }
    for (icalcomponent *child = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT); child;
         child = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
        found.append(child);
    return found;
}

std::optional<QString> propertyText(icalcomponent *component, const char *name)
{
    for (icalproperty *property = icalcomponent_get_first_property(component, ICAL_ANY_PROPERTY); property;
         property = icalcomponent_get_next_property(component, ICAL_ANY_PROPERTY)) {
        const char *propertyName = icalproperty_get_property_name(property);
        if (propertyName && qstricmp(propertyName, name) == 0) {
            const char *value = icalproperty_get_value_as_string(property);
            if (value && *value)
                return QString::fromUtf8(value).trimmed();
        }
    }
    return std::nullopt;
}

// "#RRGGBB", or "#RRGGBBAA" as some calendar programs write it (the alpha is
// dropped).
std::optional<QColor> parseColor(const QString &text)
{
    QString value = text.trimmed();
    if (value.size() == 9 && value.startsWith(u'#'))
        value.truncate(7);
    const QColor color = QColor::fromString(value);
    return color.isValid() ? std::optional<QColor>(color) : std::nullopt;
}

QString firstLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readLine(4096)).trimmed();
}

// Gives a date-time with a TZID parameter the zone it names: one defined in
// the file, else the system's zone of that name.
icaltimetype withZone(icalcomponent *component, icalproperty *property, icaltimetype time)
{
    icalparameter *parameter = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
    if (!parameter || time.is_date || icaltime_is_utc(time))
        return time;
    const char *tzid = icalparameter_get_tzid(parameter);
    if (!tzid)
        return time;
    icaltimezone *zone = nullptr;
    for (icalcomponent *scope = component; scope && !zone; scope = icalcomponent_get_parent(scope))
        zone = icalcomponent_get_timezone(scope, tzid);
    if (!zone)
        zone = icaltimezone_get_builtin_timezone_from_tzid(tzid);
    if (!zone)
        zone = icaltimezone_get_builtin_timezone(tzid);
    return zone ? icaltime_set_timezone(&time, zone) : time;
}

// Dates are the starts of local days (01:00 where a clock change skips
// midnight), floating times local times.
std::optional<QDateTime> toDateTime(const icaltimetype &time)
{
    if (icaltime_is_null_time(time))
        return std::nullopt;
    const QDate date(time.year, time.month, time.day);
    if (!date.isValid())
        return std::nullopt;
    if (time.is_date)
        return date.startOfDay();
    const QTime clock(time.hour, time.minute, std::min(time.second, 59));
    if (!clock.isValid())
        return std::nullopt;
    if (icaltime_is_utc(time))
        return QDateTime(date, clock, Qt::UTC).toLocalTime();
    if (time.zone)
        return QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(time, time.zone));
    return QDateTime(date, clock);
}

std::optional<QDateTime> propertyTime(icalcomponent *component, icalproperty_kind kind)
{
    icalproperty *property = icalcomponent_get_first_property(component, kind);
    if (!property)
        return std::nullopt;
    icalvalue *value = icalproperty_get_value(property);
    if (!value)
        return std::nullopt;
    return toDateTime(withZone(component, property, icalvalue_get_datetime(value)));
}

// The start of the local day `days` after the day of `start`. Not
// start.addDays(days): a day whose midnight a clock change skips starts at
// 01:00, and the day after it at midnight again.
QDateTime dayStartAfter(const QDateTime &start, qint64 days)
{
    return start.date().addDays(days).startOfDay();
}

// One VEVENT as written in the file.
struct Item {
    icalcomponent *component = nullptr;
    QString uid;
    icaltimetype startTime;
    QDateTime start;
    QDateTime end;
    bool isAllDay = false;
    std::optional<QDateTime> recurrenceId;
};

std::optional<Item> readItem(icalcomponent *component, const QString &fallbackUid)
{
    icalproperty *startProperty = icalcomponent_get_first_property(component, ICAL_DTSTART_PROPERTY);
    if (!startProperty)
        return std::nullopt;
    Item item;
    item.component = component;
    const char *uid = icalcomponent_get_uid(component);
    item.uid = uid && *uid ? QString::fromUtf8(uid) : fallbackUid;
    item.startTime = withZone(component, startProperty, icalproperty_get_dtstart(startProperty));
    const auto start = toDateTime(item.startTime);
    if (!start)
        return std::nullopt;
    item.start = *start;
    item.isAllDay = item.startTime.is_date;
    if (const auto end = propertyTime(component, ICAL_DTEND_PROPERTY)) {
        item.end = *end;
    } else if (icalproperty *duration = icalcomponent_get_first_property(component, ICAL_DURATION_PROPERTY)) {
        item.end = item.start.addSecs(icaldurationtype_as_int(icalproperty_get_duration(duration)));
    } else {
        item.end = item.isAllDay ? dayStartAfter(item.start, 1) : item.start;
    }
    if (item.end < item.start)
        item.end = item.start;
    item.recurrenceId = propertyTime(component, ICAL_RECURRENCEID_PROPERTY);
    return item;
}

bool isCancelled(icalcomponent *component)
{
    return icalcomponent_get_status(component) == ICAL_STATUS_CANCELLED;
}

// What one calendar may spend on expanding its events in one load: the
// occurrences it keeps (memory) and the processor time of the loading thread,
// which, unlike the time on a clock, a busy machine does not use up. A
// cancelled load has nothing left to spend.
class Budget {
public:
    explicit Budget(const std::atomic<bool> &cancelled)
        : m_cancelled(cancelled)
        , m_deadline(threadTime() + IcsEventStore::expansionTimeLimit)
    {
    }

    void keep() { ++m_kept; }
    bool isSpent() const
    {
        return m_kept > IcsEventStore::maximumOccurrences || threadTime() > m_deadline || m_cancelled.load(std::memory_order_relaxed);
    }

private:
    static std::chrono::nanoseconds threadTime()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
    }

    const std::atomic<bool> &m_cancelled;
    std::chrono::nanoseconds m_deadline;
    int m_kept = 0;
};

// A local time's fields counted in seconds, without any zone: the arithmetic
// libical iterates in.
qint64 fieldSeconds(const icaltimetype &time)
{
    return QDateTime(QDate(time.year, time.month, time.day), QTime(time.hour, time.minute, time.second), Qt::UTC).toSecsSinceEpoch();
}

// Where to start iterating a rule whose occurrences from `from` on are
// wanted: DTSTART moved on by whole periods of the rule to at least one
// period and a day (more than any zone offset) before `from`, so a rule that
// began long ago is not walked from its beginning. Rules counted from their
// start (COUNT) and months and years, whose lengths vary, start at DTSTART.
icaltimetype iterationStart(const icalrecurrencetype &rule, icaltimetype start, const QDateTime &from)
{
    qint64 unit = 0;
    switch (rule.freq) {
    case ICAL_SECONDLY_RECURRENCE: unit = 1; break;
    case ICAL_MINUTELY_RECURRENCE: unit = 60; break;
    case ICAL_HOURLY_RECURRENCE: unit = 3600; break;
    case ICAL_DAILY_RECURRENCE: unit = secondsPerDay; break;
    case ICAL_WEEKLY_RECURRENCE: unit = 7 * secondsPerDay; break;
    default: return start;
    }
    if (rule.count > 0 || (start.is_date && unit < secondsPerDay))
        return start;
    const qint64 period = unit * std::max<qint64>(rule.interval, 1);
    const QDateTime fromFields = from.toUTC();
    const qint64 target = QDateTime(fromFields.date(), fromFields.time(), Qt::UTC).toSecsSinceEpoch() - period - secondsPerDay;
    const qint64 periods = (target - fieldSeconds(start)) / period;
    if (periods <= 0)
        return start;
    const qint64 shift = periods * period;
    icaltime_adjust(&start, int(shift / secondsPerDay), 0, 0, int(shift % secondsPerDay));
    return start;
}

// The rule ending a day after `to` at the latest: libical checks UNTIL while
// it looks for the next match, so a rule that matches rarely or never cannot
// keep it searching past the range.
icalrecurrencetype boundedRule(icalrecurrencetype rule, const icaltimetype &start, const QDateTime &to)
{
    const icaltimetype limit = icaltime_from_timet_with_zone(to.toSecsSinceEpoch() + secondsPerDay, start.is_date, icaltimezone_get_utc_timezone());
    if (icaltime_is_null_time(rule.until) || icaltime_compare(limit, rule.until) < 0)
        rule.until = limit;
    return rule;
}

// Every start of a repeating item in [from, to): DTSTART, the RRULE and
// RDATE occurrences, less the EXDATE ones. Nothing when the budget runs out.
std::optional<QList<QDateTime>> occurrenceStarts(const Item &item, const QDateTime &from, const QDateTime &to, Budget &budget)
{
    std::map<qint64, QDateTime> starts;
    auto add = [&](const QDateTime &start) {
        if (start >= from && start < to && starts.emplace(start.toMSecsSinceEpoch(), start).second)
            budget.keep();
    };
    add(item.start);
    icalcomponent *component = item.component;
    for (icalproperty *rule = icalcomponent_get_first_property(component, ICAL_RRULE_PROPERTY); rule;
         rule = icalcomponent_get_next_property(component, ICAL_RRULE_PROPERTY)) {
        const icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
        icalrecur_iterator *iterator = icalrecur_iterator_new(boundedRule(recurrence, item.startTime, to), iterationStart(recurrence, item.startTime, from));
        if (!iterator)
            continue;
        bool spent = false;
        while (!(spent = budget.isSpent())) {
            icaltimetype next = icalrecur_iterator_next(iterator);
            if (icaltime_is_null_time(next))
                break;
            if (!icaltime_is_utc(next))
                next.zone = item.startTime.zone;
            next.is_date = item.startTime.is_date;
            const auto start = toDateTime(next);
            if (!start || *start >= to)
                break;
            add(*start);
        }
        icalrecur_iterator_free(iterator);
        if (spent)
            return std::nullopt;
    }
    for (icalproperty *rdate = icalcomponent_get_first_property(component, ICAL_RDATE_PROPERTY); rdate;
         rdate = icalcomponent_get_next_property(component, ICAL_RDATE_PROPERTY)) {
        const icaldatetimeperiodtype value = icalproperty_get_rdate(rdate);
        const icaltimetype time = icaltime_is_null_time(value.time) ? value.period.start : value.time;
        if (const auto start = toDateTime(withZone(component, rdate, time)))
            add(*start);
    }
    for (icalproperty *exdate = icalcomponent_get_first_property(component, ICAL_EXDATE_PROPERTY); exdate;
         exdate = icalcomponent_get_next_property(component, ICAL_EXDATE_PROPERTY)) {
        if (const auto excluded = toDateTime(withZone(component, exdate, icalproperty_get_exdate(exdate))))
            starts.erase(excluded->toMSecsSinceEpoch());
    }
    if (budget.isSpent())
        return std::nullopt;
    QList<QDateTime> list;
    for (const auto &[key, start] : starts)
        list.append(start);
    return list;
}

bool overlaps(const QDateTime &start, const QDateTime &end, const QDateTime &rangeStart, const QDateTime &rangeEnd)
{
    if (start >= rangeEnd)
        return false;
    return end > rangeStart || (end == start && start >= rangeStart);
}

std::optional<QString> text(const char *value)
{
    if (!value || !*value)
        return std::nullopt;
    return QString::fromUtf8(value);
}

EventStore::Event makeEvent(const Item &item, const QDateTime &start, const QDateTime &end, const EventStore::Calendar &calendar)
{
    EventStore::Event event;
    event.itemIdentifier = item.uid;
    event.title = text(icalcomponent_get_summary(item.component));
    event.start = start;
    event.end = end;
    event.isAllDay = item.isAllDay;
    event.calendarIdentifier = calendar.identifier;
    event.calendarColor = calendar.color;
    if (icalproperty *url = icalcomponent_get_first_property(item.component, ICAL_URL_PROPERTY)) {
        const QUrl link(QString::fromUtf8(icalproperty_get_url(url)));
        if (link.isValid() && !link.isEmpty())
            event.url = link;
    }
    event.location = text(icalcomponent_get_location(item.component));
    event.notes = text(icalcomponent_get_description(item.component));
    return event;
}

// The events of one calendar's parsed files that overlap the range.
// Occurrences replaced by an item with a RECURRENCE-ID give way to it;
// cancelled items and occurrences are left out. Nothing when the calendar
// exceeds its budget or the load is cancelled.
std::optional<QList<EventStore::Event>> expand(const std::vector<ComponentPointer> &files, const QStringList &paths, const EventStore::Calendar &calendar,
                                               const QDateTime &rangeStart, const QDateTime &rangeEnd, const std::atomic<bool> &cancelled)
{
    QList<Item> masters;
    QHash<QString, QList<Item>> overrides;
    for (size_t file = 0; file < files.size(); ++file) {
        int index = 0;
        for (icalcomponent *vcalendar : calendarsOf(files[file].get())) {
            for (icalcomponent *vevent = icalcomponent_get_first_component(vcalendar, ICAL_VEVENT_COMPONENT); vevent;
                 vevent = icalcomponent_get_next_component(vcalendar, ICAL_VEVENT_COMPONENT)) {
                const auto item = readItem(vevent, QStringLiteral("%1#%2").arg(paths[qsizetype(file)]).arg(index++));
                if (!item)
                    continue;
                if (item->recurrenceId)
                    overrides[item->uid].append(*item);
                else
                    masters.append(*item);
            }
        }
    }

    // Reading the items costs, like parsing, in proportion to the file's
    // size; the budget is for what their rules make of them.
    Budget budget(cancelled);
    QList<EventStore::Event> events;
    for (const Item &master : std::as_const(masters)) {
        if (isCancelled(master.component))
            continue;
        const QList<Item> replaced = overrides.value(master.uid);
        const qint64 length = master.start.msecsTo(master.end);
        const qint64 days = master.start.date().daysTo(master.end.date());
        // The earliest start whose occurrence can still reach the range.
        const QDateTime from = master.isAllDay ? dayStartAfter(rangeStart, -days) : rangeStart.addMSecs(-length);
        const auto starts = occurrenceStarts(master, from, rangeEnd, budget);
        if (!starts)
            return std::nullopt;
        for (const QDateTime &start : *starts) {
            const bool isReplaced = std::any_of(replaced.begin(), replaced.end(), [&](const Item &item) { return *item.recurrenceId == start; });
            // All-day occurrences keep whole days across a clock change.
            const QDateTime end = master.isAllDay ? dayStartAfter(start, days) : start.addMSecs(length);
            if (!isReplaced && overlaps(start, end, rangeStart, rangeEnd))
                events.append(makeEvent(master, start, end, calendar));
        }
    }
    for (const QList<Item> &items : std::as_const(overrides)) {
        for (const Item &item : items) {
            if (!isCancelled(item.component) && overlaps(item.start, item.end, rangeStart, rangeEnd))
                events.append(makeEvent(item, item.start, item.end, calendar));
        }
    }
    std::stable_sort(events.begin(), events.end(), [](const auto &a, const auto &b) { return a.start < b.start; });
    return events;
}

QStringList itemFiles(const QString &folder)
{
    QStringList files;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.ics")}, QDir::Files | QDir::Readable, QDir::Name))
        files.append(dir.absoluteFilePath(name));
    return files;
}

struct Source {
    QString path;
    bool isFolder = false;
};

QList<Source> findSources(const QString &folder, const QStringList &extraFiles)
{
    QList<Source> found;
    const QDir dir(folder);
    for (const QFileInfo &entry : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable, QDir::Name)) {
        if (entry.isDir())
            found.append(Source{entry.absoluteFilePath(), true});
        else if (entry.suffix().compare(u"ics", Qt::CaseInsensitive) == 0)
            found.append(Source{entry.absoluteFilePath(), false});
    }
    for (const QString &file : extraFiles) {
        if (QFileInfo(file).isReadable())
            found.append(Source{QFileInfo(file).absoluteFilePath(), false});
    }
    return found;
}

// A folder's title and colour come from its own files; a file's from its
// parsed VCALENDAR properties.
EventStore::Calendar describe(const Source &source, icalcomponent *root)
{
    EventStore::Calendar calendar;
    calendar.identifier = source.path;
    if (source.isFolder) {
        const QString folder = QDir(source.path).absolutePath();
        calendar.title = firstLine(folder + QStringLiteral("/displayname"));
        calendar.color = parseColor(firstLine(folder + QStringLiteral("/color")));
        if (calendar.title.isEmpty())
            calendar.title = QFileInfo(source.path).fileName();
        return calendar;
    }
    for (icalcomponent *vcalendar : calendarsOf(root)) {
        if (calendar.title.isEmpty())
            calendar.title = propertyText(vcalendar, "X-WR-CALNAME").value_or(propertyText(vcalendar, "NAME").value_or(QString()));
        if (!calendar.color) {
            if (const auto color = propertyText(vcalendar, "X-APPLE-CALENDAR-COLOR").value_or(propertyText(vcalendar, "COLOR").value_or(QString())); !color.isEmpty())
                calendar.color = parseColor(color);
        }
    }
    if (calendar.title.isEmpty())
        calendar.title = QFileInfo(source.path).completeBaseName();
    return calendar;
}

// One load, on the worker: each file parsed once, each calendar described and
// (unless left out) expanded over the range within its own budget.
EventStore::Snapshot readCalendars(const QList<Source> &sources, const QDateTime &start, const QDateTime &end, const QSet<QString> &leftOut,
                                   const std::atomic<bool> &cancelled, std::atomic<int> &parsedFiles)
{
    EventStore::Snapshot snapshot;
    for (const Source &source : sources) {
        const bool wanted = !leftOut.contains(source.path) && start.isValid() && end.isValid();
        const QStringList paths = source.isFolder ? (wanted ? itemFiles(source.path) : QStringList()) : QStringList{source.path};
        std::vector<ComponentPointer> files;
        for (const QString &path : paths) {
            if (cancelled.load())
                return {};
            files.push_back(parseFile(path, cancelled));
            ++parsedFiles;
        }
        if (cancelled.load())
            return {};
        const EventStore::Calendar calendar = describe(source, files.empty() ? nullptr : files.front().get());
        snapshot.calendars.append(calendar);
        if (!wanted)
            continue;
        if (const auto events = expand(files, paths, calendar, start, end, cancelled))
            snapshot.events.append(*events);
        else if (!cancelled.load())
            qCWarning(lcCalendar, "Quib: calendar %s left out: its repeating events need more than %d occurrences or %lld ms of processor time for the day",
                      qUtf8Printable(source.path), IcsEventStore::maximumOccurrences, qint64(IcsEventStore::expansionTimeLimit.count()));
    }
    return snapshot;
}

} // namespace

IcsEventStore::IcsEventStore(QString calendarsFolder, QStringList extraFiles)
    : m_folder(std::move(calendarsFolder))
    , m_extraFiles(std::move(extraFiles))
{
    // Made at once, so the user finds where calendars go and changes in it
    // are seen from the start.
    QDir().mkpath(m_folder);
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(coalesceMilliseconds);
    QObject::connect(&m_coalesce, &QTimer::timeout, &m_coalesce, [this] {
        watch();
        const auto handlers = m_handlers;
        for (const auto &handler : handlers)
            handler();
    });
    auto changed = [this] { m_coalesce.start(); };
    QObject::connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_coalesce, changed);
    QObject::connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_coalesce, changed);
    // One load at a time: a superseded one stops early and the next follows.
    m_loads.setMaxThreadCount(1);
    m_loads.setObjectName(QStringLiteral("quib.calendar.load"));
    watch();
}

IcsEventStore::~IcsEventStore()
{
    if (m_cancelLoad)
        m_cancelLoad->store(true);
    m_loads.clear();
}

QString IcsEventStore::defaultCalendarsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/quib/calendars");
}

QStringList IcsEventStore::defaultExtraFiles()
{
    return {QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/evolution/calendar/system/calendar.ics")};
}

void IcsEventStore::load(const QDateTime &start, const QDateTime &end, const QSet<QString> &leftOutCalendarIdentifiers, std::function<void(Snapshot)> done)
{
    if (m_cancelLoad)
        m_cancelLoad->store(true);
    // Loads still waiting for the worker never start.
    m_loads.clear();
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    m_cancelLoad = cancelled;
    m_loads.start([this, folder = m_folder, extraFiles = m_extraFiles, start, end, leftOutCalendarIdentifiers, cancelled, done = std::move(done)] {
        Snapshot snapshot = readCalendars(findSources(folder, extraFiles), start, end, leftOutCalendarIdentifiers, *cancelled, m_parsedFiles);
        // Checked again on the main thread, where a newer load sets it.
        QMetaObject::invokeMethod(
            &m_mainThread,
            [cancelled, done, snapshot = std::move(snapshot)]() mutable {
                if (!cancelled->load())
                    done(std::move(snapshot));
            },
            Qt::QueuedConnection);
    });
}

EventStore::AuthorizationStatus IcsEventStore::authorizationStatus() const
{
    bool exists = false;
    for (const QString &path : QStringList{m_folder} + m_extraFiles) {
        const QFileInfo info(path);
        if (info.isReadable() && (!info.isDir() || info.isExecutable()))
            return AuthorizationStatus::fullAccess;
        exists = exists || info.exists();
    }
    return exists ? AuthorizationStatus::denied : AuthorizationStatus::notDetermined;
}

void IcsEventStore::requestFullAccess(std::function<void()> done)
{
    m_accessRequests.start([this, folder = m_folder, done = std::move(done)] {
        if (!QDir().mkpath(folder))
            qCWarning(lcPlatform, "Quib: could not create the calendars folder %s", qPrintable(folder));
        QMetaObject::invokeMethod(
            &m_mainThread,
            [this, done] {
                watch();
                done();
            },
            Qt::QueuedConnection);
    });
}

void IcsEventStore::observeChanges(std::function<void()> handler)
{
    m_handlers.push_back(std::move(handler));
}

void IcsEventStore::watch()
{
    QStringList paths{m_folder};
    for (const Source &source : findSources(m_folder, m_extraFiles)) {
        paths.append(source.path);
        if (source.isFolder) {
            const QDir folder(source.path);
            for (const QString &name : folder.entryList({QStringLiteral("displayname"), QStringLiteral("color")}, QDir::Files))
                paths.append(folder.absoluteFilePath(name));
            paths.append(itemFiles(source.path));
        }
    }
    // Files replaced by a rename are seen through their folder.
    for (const QString &file : m_extraFiles) {
        const QString parent = QFileInfo(file).absolutePath();
        if (QFileInfo::exists(parent))
            paths.append(parent);
    }
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    for (const QString &path : paths) {
        if (!watched.contains(path))
            m_watcher.addPath(path);
    }
}
