#pragma once

#include "Support/Scheduler.h"

#include <QJsonObject>
#include <QString>

#include <functional>
#include <memory>

class QProcess;
class QObject;
class QThreadPool;

// Runs the media bridge as a child process (/usr/bin/perl bridge.pl
// libQuibMediaBridge.so), hands each JSON object it writes to the main
// thread, writes command lines to it, copies its standard error to the log
// and starts it again whenever it ends: after 1 s, then 2, 4, 8, 16 and 30 s
// while no line parses; every parsed object brings the wait back to 1 s.
//
// Lines are cut and parsed on a serial worker, never on the main thread. Each
// child has its own line buffer: a partial line left by a child that ended is
// dropped, so it cannot swallow the first line of the next one. A line longer
// than the limit (32 MiB unless given) is dropped as it streams, so the buffer
// stays bounded.
class MediaBridgeProcess {
public:
    using MessageHandler = std::function<void(const QJsonObject &)>;

    // The files the child is started with.
    struct Files {
        QString script;
        QString library;

        // bridge.pl and libQuibMediaBridge.so as installed beside the app.
        static Files bundled();
    };

    static constexpr qsizetype defaultMaximumLineLength = 32 * 1024 * 1024;
    static constexpr double firstRestartDelay = 1.0;
    static constexpr double longestRestartDelay = 30.0;

    // `onMessage` receives every parsed object on the main thread.
    MediaBridgeProcess(Scheduler &scheduler, MessageHandler onMessage, Files files = Files::bundled(),
                       qsizetype maximumLineLength = defaultMaximumLineLength);
    ~MediaBridgeProcess();
    MediaBridgeProcess(const MediaBridgeProcess &) = delete;
    MediaBridgeProcess &operator=(const MediaBridgeProcess &) = delete;

    void start();
    // Writes `command` and a line feed to the running child; lost when no
    // child runs. A child that has just ended never takes the app down.
    void send(const QString &command);
    // Closes the child's input and terminates it; nothing is started again.
    void stop();

    double restartDelay() const { return m_restartDelay; }

private:
    struct LineReader;

    void launch();
    void childEnded();
    void deliver(const QJsonObject &object);

    Scheduler &m_scheduler;
    MessageHandler m_onMessage;
    Files m_files;
    bool m_stopped = false;
    double m_restartDelay = firstRestartDelay;
    quint64 m_generation = 0;
    Delay m_relaunch;
    std::shared_ptr<LineReader> m_reader;
    // Receives the worker's results on the main thread; what is still queued
    // for it is dropped when it goes.
    std::unique_ptr<QObject> m_mainThread;
    QProcess *m_process = nullptr;
    // Declared last, destroyed first: waits for the worker before the rest goes.
    std::unique_ptr<QThreadPool> m_parseQueue;
};
