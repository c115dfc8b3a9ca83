#pragma once

#include "Platform/EventStore.h"

#include <vector>

// Calendars and events held in memory. events() filters by calendar and
// overlap as a real store does, and records each query.
class FakeEventStore final : public EventStore {
public:
    struct Query {
        QDateTime start;
        QDateTime end;
        QStringList calendarIdentifiers;
    };

    AuthorizationStatus authorizationStatus() const override { return status; }
    QList<Calendar> calendars() override { return calendarList; }
    QList<Event> events(const QDateTime &start, const QDateTime &end, const QStringList &calendarIdentifiers) override
    {
        queries.append(Query{start, end, calendarIdentifiers});
        QList<Event> found;
        for (const Event &event : eventList) {
            if (calendarIdentifiers.contains(event.calendarIdentifier) && event.start < end && (event.end > start || (event.end == event.start && event.start >= start)))
                found.append(event);
        }
        return found;
    }
    void observeChanges(std::function<void()> handler) override { m_handlers.push_back(std::move(handler)); }

    // As if the calendar data had changed outside the app.
    void change()
    {
        const auto handlers = m_handlers;
        for (const auto &handler : handlers)
            handler();
    }

    AuthorizationStatus status = AuthorizationStatus::fullAccess;
    QList<Calendar> calendarList;
    QList<Event> eventList;
    QList<Query> queries;

private:
    std::vector<std::function<void()>> m_handlers;
};
