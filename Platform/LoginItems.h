#pragma once

#include <QString>

#include <functional>
#include <optional>

class QObject;

// Opening the app when the user logs in. Both calls answer later, on the main
// thread, through `context`: an answer whose context is gone is dropped.
// Changes are made in the order they were asked for.
class LoginItems {
public:
    // None on success, else why the change failed.
    using Error = std::optional<QString>;

    virtual ~LoginItems() = default;

    // Whether the app opens at login now.
    virtual void readStatus(QObject *context, std::function<void(bool enabled)> answer) = 0;
    // Registers (`on`) or unregisters the app.
    virtual void setEnabled(bool on, QObject *context, std::function<void(Error)> answer) = 0;
};
