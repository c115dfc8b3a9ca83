#pragma once

#include "Platform/Fake/FakeDistributedNotifications.h"
#include "Platform/SessionBus.h"

// The command words' side of a fake session bus: what they post reaches the
// fake notifications (and their observers) at once, and a name has an owner
// while those notifications say the app runs.
class FakeSessionBus final : public SessionBus {
public:
    explicit FakeSessionBus(FakeDistributedNotifications &notifications)
        : m_notifications(notifications)
    {
    }

    void post(const std::string &name, const std::string &object, const UserInfo &userInfo) override
    {
        DistributedNotifications::UserInfo info;
        for (const auto &[key, value] : userInfo)
            info.insert(QString::fromStdString(key), QString::fromStdString(value));
        m_notifications.post(QString::fromStdString(name), QString::fromStdString(object), info);
    }
    std::optional<long> ownerProcessId(const std::string &busName) override
    {
        const auto pid = m_notifications.applicationProcessId(QString::fromStdString(busName));
        return pid ? std::optional<long>(*pid) : std::nullopt;
    }

private:
    FakeDistributedNotifications &m_notifications;
};
