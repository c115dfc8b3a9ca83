#pragma once

#include <QBindable>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QProperty>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <functional>
#include <optional>

class UserDefaults;

// The app's two footholds outside itself, which the user switches on and off:
// the command link ~/.local/bin/quib (so that `quib ...` runs from any
// shell) and the coding agent's hook and status-line entries in
// ~/.claude/settings.json. Everything else in the agent's file is carried
// through; before the first change the file is copied once beside it.
//
// Main thread only. The file work runs in call order on a thread of its own
// and its results (the flags, `lastError`) are applied on the main thread in
// the same order, so an action's refresh shows its own write. Until then the
// flags keep their previous values.
class Integrations {
public:
    static const QStringList hookEvents;
    static const QString hookMarker;
    static const QString statusLineMarker;
    // The user default that holds the agent's former `statusLine` member as
    // JSON data (never written by this program).
    static const QString previousStatusLineJSONKey;

    // Paths under the user's home folder, read when called.
    static QString commandPath();
    static QString claudeSettingsPath();
    static QString claudeSettingsBackupPath();
    // The running executable with symbolic links resolved, or none.
    static std::optional<QString> runningExecutable();

    explicit Integrations(UserDefaults &defaults, std::optional<QString> executable = runningExecutable());
    // Waits for the file work in progress; results not yet applied are dropped.
    ~Integrations();
    Integrations(const Integrations &) = delete;
    Integrations &operator=(const Integrations &) = delete;

    // ~/.local/bin/quib is a symbolic link to a program named quib.
    bool commandInstalled() const { return m_commandInstalled.value(); }
    QBindable<bool> bindableCommandInstalled() { return &m_commandInstalled; }
    // Both hooks are in the agent's settings file.
    bool claudeConnected() const { return m_claudeConnected.value(); }
    QBindable<bool> bindableClaudeConnected() { return &m_claudeConnected; }
    // The agent's status line runs `quib claude-statusline`.
    bool statusLineConnected() const { return m_statusLineConnected.value(); }
    QBindable<bool> bindableStatusLineConnected() { return &m_statusLineConnected; }
    // The message of the last failed action; each action clears it.
    std::optional<QString> lastError() const { return m_lastError.value(); }
    QBindable<std::optional<QString>> bindableLastError() { return &m_lastError; }

    // Some action's results are still to be applied.
    bool isBusy() const { return m_pending > 0; }

    // Recomputes the three flags from the disk.
    void refresh();
    // Creates or replaces the command link; a failure sets `lastError`.
    void installCommand();
    // Removes the command link when it is the program's own.
    void uninstallCommand();
    // Points an existing link of the program's own at this executable;
    // never creates one, and changes neither the flags nor `lastError`.
    void repairCommandLink();
    // Installs the command link when needed and adds the two hooks.
    void connectClaudeCode();
    // Removes the program's hooks, keeping every other command.
    void disconnectClaudeCode();
    // Puts the agent's previous status line back, or removes the status line.
    void disconnectStatusLine();

private:
    struct Flags {
        bool commandInstalled = false;
        bool claudeConnected = false;
        bool statusLineConnected = false;
    };
    // What the file work of one action hands back to the main thread.
    struct Outcome {
        // Every action but refresh and repair replaces `lastError`.
        bool replacesLastError = false;
        std::optional<QString> lastError;
        std::optional<Flags> flags;
        // The settings file was read, so the saved status line goes.
        bool forgetPreviousStatusLine = false;
    };

    // Runs `work` after every earlier action's work; applies its outcome on
    // the main thread after theirs.
    void enqueue(std::function<Outcome()> work);
    void apply(const Outcome &outcome);

    // The steps below run on the file thread; a failure returns false with
    // the description of the error in `error`.
    static Flags readFlags();
    static bool linkCommand(const std::optional<QString> &executable, QString &error);
    static std::optional<QString> linkTarget();
    static bool readClaudeSettings(QJsonObject &settings, QString &error);
    static bool writeClaudeSettings(const QJsonObject &settings, QString &error);
    // An event's entries without the program's hooks; a value that is not
    // an array of objects counts as no entries.
    static QJsonArray removingOurHooks(const QJsonValue &entries);
    static bool claudeHooksInstalled();
    static bool statusLineInstalled();
    // An action's end: `error` (none clears `lastError`) and the flags as
    // they are now.
    static Outcome finished(std::optional<QString> error = std::nullopt);
    // Reads the agent's file, lets `change` edit it and writes it, unless
    // `change` returns false (then nothing is written or refreshed).
    static Outcome changeClaudeSettings(const std::function<bool(QJsonObject &)> &change);
    static Outcome connectHooks(const std::optional<QString> &executable);

    UserDefaults &m_defaults;
    const std::optional<QString> m_executable;

    QProperty<bool> m_commandInstalled{false};
    QProperty<bool> m_claudeConnected{false};
    QProperty<bool> m_statusLineConnected{false};
    QProperty<std::optional<QString>> m_lastError;

    int m_pending = 0;
    // Outcomes arrive through its queue; declared before the thread pool so
    // that the pool (destroyed first) has ended its work when it goes.
    QObject m_receiver;
    // One thread: actions reach the disk in call order.
    QThreadPool m_files;
};
