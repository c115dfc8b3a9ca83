#pragma once

#include "Platform/SessionBus.h"

struct DBusConnection;

// The session bus through libdbus, on a private connection of its own made
// at the first use. Without a session bus nothing is posted and no name has
// an owner.
class DBusSessionBus final : public SessionBus {
public:
    // The object path of every notification, the running app's own.
    static constexpr const char *objectPath = "/com/brenvask/Quib";

    DBusSessionBus() = default;
    // Sends what is still queued before closing.
    ~DBusSessionBus() override;
    DBusSessionBus(const DBusSessionBus &) = delete;
    DBusSessionBus &operator=(const DBusSessionBus &) = delete;

    void post(const std::string &name, const std::string &object, const UserInfo &userInfo) override;
    std::optional<long> ownerProcessId(const std::string &busName) override;

private:
    DBusConnection *connection();

    DBusConnection *m_connection = nullptr;
    bool m_connected = false;
};
