#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

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

    // A stream as another client (pactl) sees it on the server.
    struct Stream {
        quint32 index = 0;
        qint64 processIdentifier = 0;
        // Per channel, raw, and the level of the first channel in decibels.
        QList<quint32> volume;
        double decibels = 0;
    };
    // The server's streams of a kind pactl lists: "sink-inputs" (playback)
    // or "source-outputs" (recording).
    static QList<Stream> streams(const QString &kind);
    // The stream of `kind` that process `pid` plays or records, if any.
    static std::optional<Stream> stream(const QString &kind, qint64 pid);
    // The level of `pid`'s playback stream in decibels, once the server
    // reports it within 0.05 dB of `expected` (within a bounded wait), else
    // its last (NaN without a stream).
    static double settledDecibels(qint64 pid, double expected);

private:
    QTemporaryDir m_directory;
    QString m_socket;
    QProcess m_server;
    QByteArray m_log;
    bool m_ready = false;
};
