#pragma once

#include "Platform/EventStore.h"

#include <utility>
#include <vector>

// Calendars and events held in memory. load() filters by calendar and
// overlap as a real store does, answers at once, and records each query of
// events (none when every calendar is left out).
class FakeEventStore final : public EventStore {
public:
    struct Query {
        QDateTime start;
        QDateTime end;
        QStringList calendarIdentifiers;
    };

    AuthorizationStatus authorizationStatus() const override { return status; }
    // Held until the test answers with answerAccessRequests().
    void requestFullAccess(std::function<void()> done) override { m_accessRequests.push_back(std::move(done)); }
    QString location() const override { return folder; }
    void load(const QDateTime &start, const QDateTime &end, const QSet<QString> &leftOutCalendarIdentifiers, std::function<void(Snapshot)> done) override
    {
        Snapshot snapshot{calendarList, {}};
        QStringList calendarIdentifiers;
        for (const Calendar &calendar : calendarList) {
            if (!leftOutCalendarIdentifiers.contains(calendar.identifier))
                calendarIdentifiers.append(calendar.identifier);
        }
        if (!calendarIdentifiers.isEmpty()) {
            queries.append(Query{start, end, calendarIdentifiers});
            for (const Event &event : eventList) {
                if (calendarIdentifiers.contains(event.calendarIdentifier) && event.start < end && (event.end > start || (event.end == event.start && event.start >= start)))
                    snapshot.events.append(event);
            }
        }
        done(std::move(snapshot));
    }
    void observeChanges(std::function<void()> handler) override { m_handlers.push_back(std::move(handler)); }

    // As if the calendar data had changed outside the app.
    void change()
    {
        const auto handlers = m_handlers;
        for (const auto &handler : handlers)
            handler();
    }

    // Answers every access request so far with `newStatus`, as the user would.
    void answerAccessRequests(AuthorizationStatus newStatus)
    {
        status = newStatus;
        const auto requests = std::exchange(m_accessRequests, {});
        for (const auto &done : requests)
            done();
    }
    int pendingAccessRequests() const { return int(m_accessRequests.size()); }

    AuthorizationStatus status = AuthorizationStatus::fullAccess;
    QString folder = QStringLiteral("/calendars");
    QList<Calendar> calendarList;
    QList<Event> eventList;
    QList<Query> queries;

private:
    std::vector<std::function<void()>> m_handlers;
    std::vector<std::function<void()>> m_accessRequests;
};
