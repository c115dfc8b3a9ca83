#pragma once

#include <QProcess>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

class QDBusConnection;

// The real `quib` executable of this build, run as a child process with an
// environment of its own: the current (private) session bus, an offscreen
// display and temporary configuration and runtime folders. Its settings say
// that the welcome window was finished, so it does not open over what a test
// looks at.
class QuibProcess {
public:
    struct Result {
        bool finished = false;
        int exitCode = -1;
        QString out;
        QString err;
    };

    QuibProcess();

    static QString executable();
    QProcessEnvironment &environment() { return m_environment; }
    // Writes the app's settings file with `values`, the welcome window
    // finished unless `values` says otherwise.
    void writeDefaults(QJsonObject values) const;
    // The same, from a JSON object's text.
    void writeDefaults(const QByteArray &json) const;

    // Runs a command with `input` on its standard input and waits (bounded)
    // for it to end.
    Result run(const QStringList &arguments, int timeoutMs = 10000, const QByteArray &input = {}) const;

private:
    QTemporaryDir m_folder;
    QProcessEnvironment m_environment;
};

// The app started without a command word, running until destroyed.
class RunningQuib {
public:
    static const QString busName;
    // The app's standard error goes to the test's, or is kept for
    // errorOutput().
    enum class ErrorOutput { forwarded, captured };

    explicit RunningQuib(QuibProcess &quib, ErrorOutput errors = ErrorOutput::forwarded);
    ~RunningQuib();
    RunningQuib(const RunningQuib &) = delete;
    RunningQuib &operator=(const RunningQuib &) = delete;

    // Waits (bounded) until the app holds its bus name on `bus`.
    bool waitUntilReady(const QDBusConnection &bus, int timeoutMs = 10000);
    qint64 processId() const { return m_process.processId(); }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    // What the app has written to standard error so far (captured only).
    QString errorOutput();
    // Waits (bounded) for the app to end by itself; its exit status, none
    // when it did not end, or ended through a signal, in time.
    std::optional<int> waitForExit(int timeoutMs = 5000);

private:
    QProcess m_process;
    QString m_errorOutput;
};
