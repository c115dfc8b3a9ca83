#pragma once

#include "Platform/SessionLock.h"

#include <QHash>

#include <vector>

// A lock state a test drives with lock() and unlock(), which report to the
// observers at once. Keep-awake requests wait for answer(); what is held is
// in `held`.
class FakeSessionLock final : public SessionLock {
public:
    void observe(Handler handler) override { m_handlers.push_back(std::move(handler)); }

    Inhibition keepDisplayAwake(const QString &reason, std::function<void(bool)> answered) override
    {
        const Inhibition inhibition = m_next++;
        reasons.push_back(reason);
        m_pending.insert(inhibition, std::move(answered));
        return inhibition;
    }
    void release(Inhibition inhibition) override
    {
        m_pending.remove(inhibition);
        held.removeOne(inhibition);
    }

    void lock() { report(Change::locked); }
    void unlock() { report(Change::unlocked); }

    // Answers every pending request: held, or refused.
    void answer(bool holds)
    {
        const auto pending = m_pending;
        m_pending.clear();
        for (auto it = pending.begin(); it != pending.end(); ++it) {
            if (holds)
                held.append(it.key());
            it.value()(holds);
        }
    }
    int pendingCount() const { return int(m_pending.size()); }

    // The reasons of every request so far, and the requests held now.
    std::vector<QString> reasons;
    QList<Inhibition> held;

private:
    void report(Change change)
    {
        const auto copy = m_handlers;
        for (const Handler &handler : copy)
            handler(change);
    }

    std::vector<Handler> m_handlers;
    QHash<Inhibition, std::function<void(bool)>> m_pending;
    Inhibition m_next = 1;
};
