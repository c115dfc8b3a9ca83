#pragma once

#include "Platform/DistributedNotifications.h"

#include <QList>

#include <vector>

// Distributed notifications within one process: post() records the
// notification and delivers it to this object's observers at once.
class FakeDistributedNotifications final : public DistributedNotifications {
public:
    void post(const QString &name, const QString &object, const UserInfo &userInfo) override
    {
        posted.append(Notification{name, object, userInfo});
        deliver(Notification{name, object, userInfo});
    }
    void flush() override { ++flushes; }
    void observe(const QString &name, Handler handler) override { m_handlers.emplace_back(name, std::move(handler)); }
    bool claimApplication(const QString &identifier) override
    {
        if (runningApplicationPid)
            return false;
        runningApplicationPid = ownPid;
        return true;
    }
    std::optional<qint64> applicationProcessId(const QString &) const override { return runningApplicationPid; }
    bool reopenApplication(const QString &) override
    {
        ++reopenRequests;
        return runningApplicationPid.has_value();
    }
    void observeReopen(std::function<void()> handler) override { m_reopenHandler = std::move(handler); }

    // As if a later launch asked this instance to reopen.
    void reopen()
    {
        if (m_reopenHandler)
            m_reopenHandler();
    }

    // Hands a notification to the observers, as if another process sent it.
    void deliver(const Notification &notification)
    {
        const auto handlers = m_handlers;
        for (const auto &[name, handler] : handlers) {
            if (name == notification.name)
                handler(notification);
        }
    }

    QList<Notification> posted;
    int flushes = 0;
    int reopenRequests = 0;
    std::optional<qint64> runningApplicationPid;
    qint64 ownPid = 4242;

private:
    std::vector<std::pair<QString, Handler>> m_handlers;
    std::function<void()> m_reopenHandler;
};
