#pragma once

#include "Calendar/CalendarInfo.h"
#include "Calendar/DayEvent.h"
#include "Platform/EventStore.h"
#include "Support/Scheduler.h"

#include <QBindable>
#include <QList>
#include <QObject>
#include <QProperty>
#include <QSet>

#include <memory>

class PermissionNotifications;
class Preferences;
class Sounds;
class Workspace;
struct Services;

// Today's events of the calendars the user has not switched off, and the
// time-driven behaviour around them: the countdown before a meeting with its
// announcements, the meeting in progress and the hourly chime. Main thread
// only; every deadline here runs through the scheduler and never early.
class CalendarModel {
public:
    static constexpr double countdownTail = 300;
    static constexpr double announcementLength = 12;
    static constexpr double ongoingDelay = 0.5;

    CalendarModel(Preferences &preferences, const Services &services, Sounds &sounds, PermissionNotifications &permissions);
    CalendarModel(const CalendarModel &) = delete;
    CalendarModel &operator=(const CalendarModel &) = delete;

    // Watches the calendar data, the change of day, wake-ups, steps of the
    // wall clock and permission changes; plans the chime and reads the events
    // when access is granted.
    // Called once.
    void start();
    // Reads access again, then reloads.
    void checkAuthorization();
    // Asks the store for the calendars and today's events again; when they
    // arrive (later, on the main thread), applies them and re-plans the
    // countdown and the ongoing event. A newer reload supersedes an older one.
    void reload();

    void scheduleReminder();
    void scheduleOngoing();
    void scheduleChime();
    // Stops the current countdown for good.
    void dismissCountdown();
    // Opens the event's meeting in its application, else in the browser.
    void join(const DayEvent &event);
    // Adds a 30-minute demo meeting starting `minutes` from now.
    void debugInjectEvent(double minutes);

    // The events that still matter today: timed ones first, then all-day
    // ones, each group by start. Tracks `events` when read in a binding.
    QList<DayEvent> upcoming() const;

    QDateTime today() const { return m_today.value(); }
    QBindable<QDateTime> bindableToday() { return &m_today; }
    QList<DayEvent> events() const { return m_events.value(); }
    QBindable<QList<DayEvent>> bindableEvents() { return &m_events; }
    QList<CalendarInfo> calendars() const { return m_calendars.value(); }
    QBindable<QList<CalendarInfo>> bindableCalendars() { return &m_calendars; }
    bool authorized() const { return m_authorized.value(); }
    QBindable<bool> bindableAuthorized() { return &m_authorized; }
    std::optional<DayEvent> countdownEvent() const { return m_countdownEvent.value(); }
    QBindable<std::optional<DayEvent>> bindableCountdownEvent() { return &m_countdownEvent; }
    std::optional<DayEvent> ongoingEvent() const { return m_ongoingEvent.value(); }
    QBindable<std::optional<DayEvent>> bindableOngoingEvent() { return &m_ongoingEvent; }
    bool isAnnouncing() const { return m_isAnnouncing.value(); }
    QBindable<bool> bindableIsAnnouncing() { return &m_isAnnouncing; }

    // "ABC" and a start at 1000 s give "ABC1000.0".
    static QString eventId(const QString &itemIdentifier, const QDateTime &start);
    // The first full hour after `now` that exists on the local clock; of a
    // repeated hour only its first occurrence counts.
    static QDateTime nextFullHour(const QDateTime &now);

private:
    void apply(const EventStore::Snapshot &snapshot);
    void setCountdown(const std::optional<DayEvent> &event, const QDateTime &now);
    void announce();
    void scheduleDayChange();
    void followClockStep();

    Preferences &m_preferences;
    EventStore &m_store;
    Scheduler &m_scheduler;
    Workspace &m_workspace;
    Sounds &m_sounds;
    PermissionNotifications &m_permissions;

    QProperty<QDateTime> m_today;
    QProperty<QList<DayEvent>> m_events;
    QProperty<QList<CalendarInfo>> m_calendars;
    QProperty<bool> m_authorized{false};
    QProperty<std::optional<DayEvent>> m_countdownEvent;
    QProperty<std::optional<DayEvent>> m_ongoingEvent;
    QProperty<bool> m_isAnnouncing{false};

    Delay m_reminderTimer;
    Delay m_ongoingTimer;
    Delay m_announceWork;
    Delay m_chimeTimer;
    Delay m_dayChangeTimer;
    std::optional<WallClockWatch> m_clockWatch;
    QSet<QString> m_announcedPhases;
    QSet<QString> m_dismissedIDs;
    // Counts reloads, so the answer to an older one is dropped.
    quint64 m_reloads = 0;
    // Receives the permission notices for as long as the model lives.
    QObject m_permissionsReceiver;
    // Observers registered with the platform services outlive no model:
    // they hold this weakly.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
