#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A sound server of the test's own, without a sound card: a null sink
// "speakers" and a null source "mic", reached through PULSE_SERVER by this
// process and by pactl. Stopped when destroyed.
class PulseServer {
public:
    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer &) = delete;
    PulseServer &operator=(const PulseServer &) = delete;

    bool isReady() const { return m_ready; }
    QByteArray log() const { return m_log; }
    qint64 processId() const { return m_server.processId(); }
    void stop();

    // Runs pactl and gives its output.
    static QString pactl(const QStringList &arguments);

private:
    QTemporaryDir m_directory;
    QString m_socket;
    QProcess m_server;
    QByteArray m_log;
    bool m_ready = false;
};
