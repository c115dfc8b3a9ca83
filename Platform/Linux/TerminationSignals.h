#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP end the app as its own quit does. The signal
// handler only writes the signal's number to a pipe; the main thread reads it
// through the event loop and calls `handler` there, so nothing but that one
// write runs inside the handler. One instance per process.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(std::function<void(int signal)> handler);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals &) = delete;
    TerminationSignals &operator=(const TerminationSignals &) = delete;

    // Whether the handlers could be installed.
    bool isActive() const { return m_notifier != nullptr; }

private:
    void readSignals();

    std::function<void(int)> m_handler;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
