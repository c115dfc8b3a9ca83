#pragma once

#include <map>
#include <optional>
#include <string>

// The session bus as the command words use it, in plain C++ so that they run
// without Qt: a notification posted to whoever observes it, and which
// process owns a name. The running app reads the same signals through
// `DistributedNotifications`.
class SessionBus {
public:
    using UserInfo = std::map<std::string, std::string>;

    virtual ~SessionBus() = default;

    // Posts the notification `name` ("interface.member"); text that is not
    // UTF-8 is sent with its faults replaced.
    virtual void post(const std::string &name, const std::string &object, const UserInfo &userInfo) = 0;
    // The process that owns the bus name, if any (and once the bus answered,
    // every notification posted before has left).
    virtual std::optional<long> ownerProcessId(const std::string &busName) = 0;
};
