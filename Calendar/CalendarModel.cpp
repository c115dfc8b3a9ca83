#include "Calendar/CalendarModel.h"

#include "App/Preferences.h"
#include "Calendar/MeetingLink.h"
#include "Platform/EventStore.h"
#include "Platform/Services.h"
#include "Platform/Workspace.h"
#include "Shared/PermissionNotifications.h"
#include "Shared/Sounds.h"
#include "Shared/SystemColors.h"
#include "Support/Text.h"

#include <algorithm>
#include <cmath>

namespace {

const QString soonPhase = QStringLiteral("#soon");
const QString nowPhase = QStringLiteral("#now");

// Longer leads change nothing for the events of one day, and keep the
// arithmetic on dates finite whatever the setting holds.
constexpr double maximumLeadSeconds = 366.0 * 86400.0;

QDateTime addSeconds(const QDateTime &moment, double seconds)
{
    return moment.addMSecs(static_cast<qint64>(std::llround(seconds * 1000.0)));
}

// The earliest of `moments` strictly after `now`.
std::optional<QDateTime> nextAfter(const QList<QDateTime> &moments, const QDateTime &now)
{
    std::optional<QDateTime> next;
    for (const QDateTime &moment : moments) {
        if (moment > now && (!next || moment < *next))
            next = moment;
    }
    return next;
}

} // namespace

CalendarModel::CalendarModel(Preferences &preferences, const Services &services, Sounds &sounds, PermissionNotifications &permissions)
    : m_preferences(preferences)
    , m_store(services.eventStore)
    , m_scheduler(services.scheduler)
    , m_workspace(services.workspace)
    , m_sounds(sounds)
    , m_permissions(permissions)
    , m_today(services.scheduler.now())
    , m_reminderTimer(services.scheduler)
    , m_ongoingTimer(services.scheduler)
    , m_announceWork(services.scheduler)
    , m_chimeTimer(services.scheduler)
    , m_dayChangeTimer(services.scheduler)
{
}

void CalendarModel::start()
{
    auto whileAlive = [alive = std::weak_ptr<bool>(m_alive)](std::function<void()> work) {
        return [alive, work = std::move(work)] {
            if (alive.lock())
                work();
        };
    };
    m_store.observeChanges(whileAlive([this] { reload(); }));
    m_workspace.observeWake(whileAlive([this] {
        reload();
        scheduleChime();
        // The day may have changed while asleep; plan the next midnight anew.
        scheduleDayChange();
    }));
    m_clockWatch.emplace(m_scheduler, [this] { followClockStep(); });
    QObject::connect(&m_permissions, &PermissionNotifications::quibPermissionsChanged, &m_permissionsReceiver, [this] { checkAuthorization(); });
    scheduleDayChange();
    scheduleChime();
    checkAuthorization();
}

void CalendarModel::scheduleDayChange()
{
    // A day starts at its first time that exists: where a clock change skips
    // midnight (Havana, the Azores, Beirut, Cairo, Santiago), at 01:00.
    const QDateTime tomorrow = m_scheduler.now().toLocalTime().date().addDays(1).startOfDay();
    if (!tomorrow.isValid())
        return;
    m_dayChangeTimer.startAt(tomorrow, [this] {
        reload();
        scheduleDayChange();
    });
}

void CalendarModel::followClockStep()
{
    // The wall deadlines wait for their moment on the new time, but what was
    // derived from the old time is planned anew: another day has other
    // events, and the next full hour or boundary may have moved.
    if (m_scheduler.now().toLocalTime().date() != m_today.value().toLocalTime().date()) {
        reload();
    } else {
        scheduleReminder();
        scheduleOngoing();
    }
    scheduleChime();
    scheduleDayChange();
}

void CalendarModel::checkAuthorization()
{
    m_authorized = m_store.authorizationStatus() == EventStore::AuthorizationStatus::fullAccess;
    reload();
}

QString CalendarModel::eventId(const QString &itemIdentifier, const QDateTime &start)
{
    // Plain notation: a start on a round number of seconds must not turn
    // into "1.8e+09".
    return itemIdentifier + Text::plainDecimal(static_cast<double>(start.toMSecsSinceEpoch()) / 1000.0);
}

void CalendarModel::reload()
{
    const QDateTime now = m_scheduler.now().toLocalTime();
    m_today = now;
    // Whatever an earlier reload still brings is out of date.
    const quint64 generation = ++m_reloads;
    if (!m_authorized.value()) {
        m_events = QList<DayEvent>();
        m_calendars = QList<CalendarInfo>();
        return;
    }
    // The day runs from its first time that exists to the next day's (not
    // midnight to midnight: see scheduleDayChange()). An invalid day reads
    // the calendars and no events.
    m_store.load(now.date().startOfDay(), now.date().addDays(1).startOfDay(), m_preferences.disabledCalendarIDs.value(),
                 [this, generation, alive = std::weak_ptr<bool>(m_alive)](EventStore::Snapshot snapshot) {
                     if (alive.lock() && generation == m_reloads)
                         apply(snapshot);
                 });
}

void CalendarModel::apply(const EventStore::Snapshot &snapshot)
{
    QList<CalendarInfo> infos;
    for (const EventStore::Calendar &calendar : snapshot.calendars)
        infos.append(CalendarInfo{calendar.identifier, calendar.title, calendar.sourceTitle, calendar.color.value_or(SystemColors::blue())});
    std::stable_sort(infos.begin(), infos.end(), [](const CalendarInfo &a, const CalendarInfo &b) {
        return a.source != b.source ? a.source < b.source : a.title < b.title;
    });
    m_calendars = infos;

    QList<DayEvent> dayEvents;
    for (const EventStore::Event &event : snapshot.events) {
        if (!event.start.isValid() || !event.end.isValid())
            continue;
        const auto link = MeetingLink::find(event.url, event.location, event.notes);
        DayEvent day;
        day.id = eventId(event.itemIdentifier, event.start);
        day.title = event.title.value_or(QString());
        if (day.title.isEmpty())
            day.title = QStringLiteral("Sem título");
        day.start = event.start;
        day.end = event.end;
        day.isAllDay = event.isAllDay;
        day.color = event.calendarColor.value_or(SystemColors::blue());
        if (link) {
            day.joinURL = link->url;
            day.joinProvider = link->provider;
        }
        dayEvents.append(day);
    }
    m_events = dayEvents;
    scheduleReminder();
    scheduleOngoing();
}

QList<DayEvent> CalendarModel::upcoming() const
{
    const QDateTime now = m_scheduler.now();
    QList<DayEvent> list;
    for (const DayEvent &event : m_events.value()) {
        if (event.isAllDay || event.end > now)
            list.append(event);
    }
    std::stable_sort(list.begin(), list.end(), [](const DayEvent &a, const DayEvent &b) {
        return a.isAllDay != b.isAllDay ? !a.isAllDay : a.start < b.start;
    });
    return list;
}

void CalendarModel::scheduleReminder()
{
    m_reminderTimer.cancel();
    const QDateTime now = m_scheduler.now();
    const double lead = m_preferences.reminderMinutes.value() * 60.0;
    if (!m_preferences.calendarEnabled.value() || !(lead > 0)) {
        setCountdown(std::nullopt, now);
        return;
    }
    const double boundedLead = std::min(lead, maximumLeadSeconds);

    QList<DayEvent> candidates;
    for (const DayEvent &event : m_events.value()) {
        if (!event.isAllDay && !m_dismissedIDs.contains(event.id))
            candidates.append(event);
    }
    std::stable_sort(candidates.begin(), candidates.end(), [](const DayEvent &a, const DayEvent &b) { return a.start < b.start; });

    std::optional<DayEvent> countdown;
    QList<QDateTime> boundaries;
    for (const DayEvent &event : std::as_const(candidates)) {
        const QDateTime opens = addSeconds(event.start, -boundedLead);
        const QDateTime closes = std::min(event.end, addSeconds(event.start, countdownTail));
        if (!countdown && now >= opens && now < addSeconds(event.start, countdownTail) && now < event.end)
            countdown = event;
        boundaries << opens << event.start << closes;
    }
    setCountdown(countdown, now);
    if (const auto next = nextAfter(boundaries, now))
        m_reminderTimer.startAt(*next, [this] { scheduleReminder(); });
}

void CalendarModel::setCountdown(const std::optional<DayEvent> &event, const QDateTime &now)
{
    if (!event) {
        m_announceWork.cancel();
        m_countdownEvent = std::nullopt;
        if (m_isAnnouncing.value())
            m_isAnnouncing = false;
        return;
    }
    m_countdownEvent = event;
    const QString key = event->id + (now >= event->start ? nowPhase : soonPhase);
    if (m_announcedPhases.contains(key))
        return;
    m_announcedPhases.insert(key);
    announce();
}

void CalendarModel::announce()
{
    m_isAnnouncing = true;
    if (m_preferences.soundOnEvent.value())
        m_sounds.play(Sounds::Kind::glass);
    m_announceWork.start(announcementLength, [this] {
        m_isAnnouncing = false;
        if (!m_preferences.keepEventCountdown.value() && m_countdownEvent.value())
            m_countdownEvent = std::nullopt;
    });
}

void CalendarModel::scheduleOngoing()
{
    m_ongoingTimer.cancel();
    const QDateTime now = m_scheduler.now();
    QList<DayEvent> timed;
    for (const DayEvent &event : m_events.value()) {
        if (!event.isAllDay && event.end > event.start)
            timed.append(event);
    }
    std::optional<DayEvent> ongoing;
    if (m_preferences.calendarEnabled.value()) {
        for (const DayEvent &event : std::as_const(timed)) {
            if (event.start <= now && now < event.end && (!ongoing || event.start > ongoing->start))
                ongoing = event;
        }
    }
    m_ongoingEvent = ongoing;
    QList<QDateTime> boundaries;
    for (const DayEvent &event : std::as_const(timed))
        boundaries << event.start << event.end;
    if (const auto next = nextAfter(boundaries, now))
        m_ongoingTimer.startAt(addSeconds(*next, ongoingDelay), [this] { scheduleOngoing(); });
}

QDateTime CalendarModel::nextFullHour(const QDateTime &now)
{
    const QDateTime local = now.toLocalTime();
    const int hour = local.time().hour();
    for (int step = 1; step <= 48; ++step) {
        const int hours = hour + step;
        const int clockHour = hours % 24;
        const QDateTime candidate(local.date().addDays(hours / 24), QTime(clockHour, 0));
        // A full hour skipped by a clock change does not exist; the next one
        // does. An hour that comes twice counts the first time only.
        if (candidate.isValid() && candidate.time() == QTime(clockHour, 0) && candidate > now)
            return candidate;
    }
    return {};
}

void CalendarModel::scheduleChime()
{
    m_chimeTimer.cancel();
    if (!m_preferences.hourlyChime.value())
        return;
    const QDateTime next = nextFullHour(m_scheduler.now());
    if (!next.isValid())
        return;
    m_chimeTimer.startAt(next, [this] {
        m_sounds.play(Sounds::Kind::hero);
        scheduleChime();
    });
}

void CalendarModel::dismissCountdown()
{
    const auto countdown = m_countdownEvent.value();
    if (!countdown)
        return;
    m_dismissedIDs.insert(countdown->id);
    scheduleReminder();
}

void CalendarModel::join(const DayEvent &event)
{
    if (!event.joinURL)
        return;
    m_workspace.open(MeetingLink::nativeURL(*event.joinURL, m_workspace).value_or(*event.joinURL));
    if (const auto countdown = m_countdownEvent.value(); countdown && countdown->id == event.id)
        dismissCountdown();
}

void CalendarModel::debugInjectEvent(double minutes)
{
    if (!std::isfinite(minutes))
        return;
    const QDateTime start = addSeconds(m_scheduler.now(), std::clamp(minutes, -1.0e6, 1.0e6) * 60.0);
    DayEvent event;
    event.id = eventId(QStringLiteral("debug-"), start);
    event.title = QStringLiteral("Daily do time");
    event.start = start;
    event.end = start.addSecs(1800);
    event.color = SystemColors::orange();
    event.joinURL = QUrl(QStringLiteral("https://meet.google.com/abc-defg-hij"));
    event.joinProvider = QStringLiteral("Meet");
    QList<DayEvent> list = m_events.value();
    list.append(event);
    m_events = list;
    scheduleReminder();
    scheduleOngoing();
}
