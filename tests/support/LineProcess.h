#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>

#include <functional>
#include <optional>

// A child process spoken to in lines, for tests: every wait is bounded. Ends
// the child when destroyed (input closed, then terminated, then killed).
class LineProcess {
public:
    LineProcess();
    ~LineProcess();
    LineProcess(const LineProcess &) = delete;
    LineProcess &operator=(const LineProcess &) = delete;

    bool start(const QString &program, const QStringList &arguments);
    QProcess &process() { return m_process; }
    qint64 pid() const { return m_process.processId(); }

    // The next line of standard output, without its line feed.
    std::optional<QByteArray> nextLine(int timeoutMilliseconds = 5000);
    // Reads lines until one satisfies `accept` and returns it; the lines read
    // before it are dropped.
    std::optional<QByteArray> waitForLine(const std::function<bool(const QByteArray &)> &accept, int timeoutMilliseconds = 5000);
    // True when no line arrives within `milliseconds`; a line that does
    // arrive is dropped.
    bool staysQuiet(int milliseconds);

    void writeLine(const QByteArray &line);
    void closeInput() { m_process.closeWriteChannel(); }
    // The exit status, once the child has ended (within the timeout).
    std::optional<int> waitForExit(int timeoutMilliseconds = 5000);

private:
    QProcess m_process;
    QByteArray m_buffer;
};
