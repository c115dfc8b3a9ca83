#include "Platform/Linux/IcsEventStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <libical/ical.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

// A little more than a second per occurrence of a secondly rule for a day;
// bounds the work of an absurd rule.
constexpr int maximumOccurrences = 200000;
constexpr int coalesceMilliseconds = 200;

struct ComponentDeleter {
    void operator()(icalcomponent *component) const { icalcomponent_free(component); }
};
using ComponentPointer = std::unique_ptr<icalcomponent, ComponentDeleter>;

ComponentPointer parseFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray data = file.readAll();
    if (data.isEmpty())
        return nullptr;
    return ComponentPointer(icalparser_parse_string(data.constData()));
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

// Dates are local midnights, floating times local times.
std::optional<QDateTime> toDateTime(const icaltimetype &time)
{
    if (icaltime_is_null_time(time))
        return std::nullopt;
    const QDate date(time.year, time.month, time.day);
    if (!date.isValid())
        return std::nullopt;
    if (time.is_date)
        return QDateTime(date, QTime(0, 0));
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
        item.end = item.isAllDay ? item.start.addDays(1) : item.start;
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

// Every start of a repeating item before `rangeEnd`: DTSTART, the RRULE and
// RDATE occurrences, less the EXDATE ones.
QList<QDateTime> occurrenceStarts(const Item &item, const QDateTime &rangeEnd)
{
    std::map<qint64, QDateTime> starts{{item.start.toMSecsSinceEpoch(), item.start}};
    icalcomponent *component = item.component;
    for (icalproperty *rule = icalcomponent_get_first_property(component, ICAL_RRULE_PROPERTY); rule;
         rule = icalcomponent_get_next_property(component, ICAL_RRULE_PROPERTY)) {
        icalrecur_iterator *iterator = icalrecur_iterator_new(icalproperty_get_rrule(rule), item.startTime);
        if (!iterator)
            continue;
        for (int count = 0; count < maximumOccurrences; ++count) {
            icaltimetype next = icalrecur_iterator_next(iterator);
            if (icaltime_is_null_time(next))
                break;
            if (!icaltime_is_utc(next))
                next.zone = item.startTime.zone;
            next.is_date = item.startTime.is_date;
            const auto start = toDateTime(next);
            if (!start || *start >= rangeEnd)
                break;
            starts.emplace(start->toMSecsSinceEpoch(), *start);
        }
        icalrecur_iterator_free(iterator);
    }
    for (icalproperty *rdate = icalcomponent_get_first_property(component, ICAL_RDATE_PROPERTY); rdate;
         rdate = icalcomponent_get_next_property(component, ICAL_RDATE_PROPERTY)) {
        const icaldatetimeperiodtype value = icalproperty_get_rdate(rdate);
        const icaltimetype time = icaltime_is_null_time(value.time) ? value.period.start : value.time;
        if (const auto start = toDateTime(withZone(component, rdate, time)))
            starts.emplace(start->toMSecsSinceEpoch(), *start);
    }
    for (icalproperty *exdate = icalcomponent_get_first_property(component, ICAL_EXDATE_PROPERTY); exdate;
         exdate = icalcomponent_get_next_property(component, ICAL_EXDATE_PROPERTY)) {
        if (const auto excluded = toDateTime(withZone(component, exdate, icalproperty_get_exdate(exdate))))
            starts.erase(excluded->toMSecsSinceEpoch());
    }
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

// The events of one calendar's files that overlap the range. Occurrences
// replaced by an item with a RECURRENCE-ID give way to it; cancelled items
// and occurrences are left out.
QList<EventStore::Event> expand(const QList<QString> &files, const EventStore::Calendar &calendar, const QDateTime &rangeStart, const QDateTime &rangeEnd)
{
    std::vector<ComponentPointer> parsed;
    QList<Item> masters;
    QHash<QString, QList<Item>> overrides;
    for (const QString &path : files) {
        ComponentPointer root = parseFile(path);
        int index = 0;
        for (icalcomponent *vcalendar : calendarsOf(root.get())) {
            for (icalcomponent *vevent = icalcomponent_get_first_component(vcalendar, ICAL_VEVENT_COMPONENT); vevent;
                 vevent = icalcomponent_get_next_component(vcalendar, ICAL_VEVENT_COMPONENT)) {
                const auto item = readItem(vevent, QStringLiteral("%1#%2").arg(path).arg(index++));
                if (!item)
                    continue;
                if (item->recurrenceId)
                    overrides[item->uid].append(*item);
                else
                    masters.append(*item);
            }
        }
        parsed.push_back(std::move(root));
    }

    QList<EventStore::Event> events;
    for (const Item &master : std::as_const(masters)) {
        if (isCancelled(master.component))
            continue;
        const QList<Item> replaced = overrides.value(master.uid);
        const qint64 length = master.start.msecsTo(master.end);
        const qint64 days = master.start.date().daysTo(master.end.date());
        for (const QDateTime &start : occurrenceStarts(master, rangeEnd)) {
            const bool isReplaced = std::any_of(replaced.begin(), replaced.end(), [&](const Item &item) { return *item.recurrenceId == start; });
            // All-day occurrences keep whole days across a clock change.
            const QDateTime end = master.isAllDay ? start.addDays(days) : start.addMSecs(length);
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

EventStore::Calendar describe(const QString &path, bool isFolder)
{
    EventStore::Calendar calendar;
    calendar.identifier = path;
    if (isFolder) {
        const QString folder = QDir(path).absolutePath();
        calendar.title = firstLine(folder + QStringLiteral("/displayname"));
        calendar.color = parseColor(firstLine(folder + QStringLiteral("/color")));
        if (calendar.title.isEmpty())
            calendar.title = QFileInfo(path).fileName();
        return calendar;
    }
    ComponentPointer root = parseFile(path);
    for (icalcomponent *vcalendar : calendarsOf(root.get())) {
        if (calendar.title.isEmpty())
            calendar.title = propertyText(vcalendar, "X-WR-CALNAME").value_or(propertyText(vcalendar, "NAME").value_or(QString()));
        if (!calendar.color) {
            if (const auto color = propertyText(vcalendar, "X-APPLE-CALENDAR-COLOR").value_or(propertyText(vcalendar, "COLOR").value_or(QString())); !color.isEmpty())
                calendar.color = parseColor(color);
        }
    }
    if (calendar.title.isEmpty())
        calendar.title = QFileInfo(path).completeBaseName();
    return calendar;
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
    watch();
}

IcsEventStore::~IcsEventStore() = default;

QString IcsEventStore::defaultCalendarsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/quib/calendars");
}

QStringList IcsEventStore::defaultExtraFiles()
{
    return {QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/evolution/calendar/system/calendar.ics")};
}

QList<IcsEventStore::Source> IcsEventStore::sources() const
{
    QList<Source> found;
    const QDir dir(m_folder);
    for (const QFileInfo &entry : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable, QDir::Name)) {
        if (entry.isDir())
            found.append(Source{entry.absoluteFilePath(), true});
        else if (entry.suffix().compare(u"ics", Qt::CaseInsensitive) == 0)
            found.append(Source{entry.absoluteFilePath(), false});
    }
    for (const QString &file : m_extraFiles) {
        if (QFileInfo(file).isReadable())
            found.append(Source{QFileInfo(file).absoluteFilePath(), false});
    }
    return found;
}

QList<EventStore::Calendar> IcsEventStore::calendars()
{
    QList<Calendar> list;
    for (const Source &source : sources())
        list.append(describe(source.path, source.isFolder));
    return list;
}

QList<EventStore::Event> IcsEventStore::events(const QDateTime &start, const QDateTime &end, const QStringList &calendarIdentifiers)
{
    QList<Event> list;
    for (const Source &source : sources()) {
        if (!calendarIdentifiers.contains(source.path))
            continue;
        const QStringList files = source.isFolder ? itemFiles(source.path) : QStringList{source.path};
        list.append(expand(files, describe(source.path, source.isFolder), start, end));
    }
    return list;
}

void IcsEventStore::observeChanges(std::function<void()> handler)
{
    m_handlers.push_back(std::move(handler));
}

void IcsEventStore::watch()
{
    QStringList paths{m_folder};
    for (const Source &source : sources()) {
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
