#pragma once

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

// The user's calendars and their events. Repeating events come back as one
// event per occurrence; an occurrence that was cancelled does not come back.
class EventStore {
public:
    // The app's access to the events; only fullAccess lets it read them.
    enum class AuthorizationStatus { notDetermined, restricted, denied, fullAccess, writeOnly };

    struct Calendar {
        QString identifier;
        QString title;
        // The title of the account the calendar belongs to; empty when none.
        QString sourceTitle;
        std::optional<QColor> color;
    };

    struct Event {
        // Shared by every occurrence of a repeating event.
        QString itemIdentifier;
        std::optional<QString> title;
        QDateTime start;
        QDateTime end;
        bool isAllDay = false;
        QString calendarIdentifier;
        std::optional<QColor> calendarColor;
        std::optional<QUrl> url;
        std::optional<QString> location;
        std::optional<QString> notes;
    };

    // What one load found.
    struct Snapshot {
        // Every calendar, in the store's own order.
        QList<Calendar> calendars;
        // The events of the calendars not left out that overlap [start, end),
        // including all-day events and events that began earlier or end later.
        QList<Event> events;
    };

    virtual ~EventStore() = default;

    virtual AuthorizationStatus authorizationStatus() const = 0;
    // Asks for access to the events. `done` runs on the main thread once the
    // store has answered, whatever the answer (authorizationStatus() tells
    // it); never before this call returns.
    virtual void requestFullAccess(std::function<void()> done) = 0;
    // Where the calendars are kept, as the user would look for them.
    virtual QString location() const = 0;
    // Reads the calendars and the events of those not in
    // `leftOutCalendarIdentifiers` (none when every calendar is left out),
    // without holding the main thread, and calls `done` with them on the main
    // thread. A newer load supersedes one still running: the older one never
    // calls `done`. A store that has its data at hand may call `done` before
    // load() returns.
    virtual void load(const QDateTime &start, const QDateTime &end, const QSet<QString> &leftOutCalendarIdentifiers, std::function<void(Snapshot)> done) = 0;
    // Calls `handler` on the main thread whenever calendars or events may
    // have changed. The observation lasts as long as this object.
    virtual void observeChanges(std::function<void()> handler) = 0;
};
