#pragma once

#include <QString>

class AppDelegate;

// The diagnostic commands: a developer drives the running app from outside
// into each of its states (the notch open, every kind of alert strip, a
// banner, calendar events, the mute states, the mixer, a timer, the song
// peek), asks for an update check or quits it. A command is the object of
// the notification "com.brenvask.Quib.debug"; the app listens only when
// "debugHooks" was true at launch, and nothing in the system sends them.
class DebugCommands {
public:
    static const QString notificationName;
    // How long the demo strips stay.
    static constexpr double alertDuration = 3.0;

    explicit DebugCommands(AppDelegate &delegate);

    // Runs the command that `word` names, matched exactly and with its case;
    // any other word does nothing. "settings:" followed by a page's raw value
    // opens the settings on that page.
    void run(const QString &word);

private:
    AppDelegate &m_delegate;
};
