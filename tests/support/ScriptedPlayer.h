#pragma once

#include "LineProcess.h"

#include <QString>

#include <optional>

// The scriptable MPRIS player of tests/tools, run as a child process on the
// session bus of the test (see PrivateBus).
class ScriptedPlayer {
public:
    static QString program();

    // Starts the player owning "org.mpris.MediaPlayer2.<name>"; true once it
    // is on the bus.
    bool start(const QString &name);
    // Runs one input line of the player and waits until it has been handled
    // (signals it emits have been sent).
    bool run(const QString &line);
    // Waits for the call line "call <text>" (method and arguments).
    bool waitForCall(const QString &text, int timeoutMilliseconds = 5000);
    // Whether that call line has arrived, without waiting: for tests whose
    // own event loop must run meanwhile (QTest::qWaitFor).
    bool hasCall(const QString &text);
    // The first call line that begins with `prefix`, taken, without
    // waiting (for calls whose arguments the test cannot know exactly).
    std::optional<QString> takeCall(const QString &prefix);
    qint64 pid() const { return m_process.pid(); }
    // Ends the player; its names leave the bus.
    void quit();

private:
    void readCalls();

    LineProcess m_process;
    QList<QByteArray> m_calls;
};
