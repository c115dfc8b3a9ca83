#include "NowPlaying/MediaBridgeProcess.h"

#include "Support/Log.h"
#include "Support/Resources.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QPointer>
#include <QProcess>
#include <QStringDecoder>
#include <QThreadPool>

#include <algorithm>

// Lives on the parse queue: only its tasks touch it, one at a time.
struct MediaBridgeProcess::LineReader {
    const qsizetype maximumLineLength;
    QByteArray buffer;
    quint64 generation = 0;
    // Inside a line that grew past the limit: skip up to its line feed.
    bool skippingLongLine = false;

    // Cuts `chunk` of child `childGeneration` into lines and returns the
    // objects among them, in order.
    QList<QJsonObject> consume(const QByteArray &chunk, quint64 childGeneration)
    {
        if (childGeneration != generation) {
            buffer.clear();
            skippingLongLine = false;
            generation = childGeneration;
        }
        qsizetype start = 0;
        if (skippingLongLine) {
            const qsizetype end = chunk.indexOf('\n');
            if (end < 0)
                return {};
            skippingLongLine = false;
            start = end + 1;
        }
        buffer.append(chunk.constData() + start, chunk.size() - start);

        QList<QJsonObject> objects;
        qsizetype lineStart = 0;
        for (qsizetype end = buffer.indexOf('\n'); end >= 0; end = buffer.indexOf('\n', lineStart)) {
            const QByteArrayView line(buffer.constData() + lineStart, end - lineStart);
            lineStart = end + 1;
            if (line.isEmpty() || line.size() > maximumLineLength)
                continue;
            QJsonParseError error;
            const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray(), &error);
            if (error.error == QJsonParseError::NoError && document.isObject())
                objects.append(document.object());
        }
        buffer.remove(0, lineStart);
        if (buffer.size() > maximumLineLength) {
            buffer.clear();
            skippingLongLine = true;
        }
        return objects;
    }
};

MediaBridgeProcess::Files MediaBridgeProcess::Files::bundled()
{
    return Files{Resources::sharePath(QStringLiteral("bridge.pl")), Resources::libraryPath(QStringLiteral("libQuibMediaBridge.so"))};
}

MediaBridgeProcess::MediaBridgeProcess(Scheduler &scheduler, MessageHandler onMessage, Files files, qsizetype maximumLineLength)
    : m_scheduler(scheduler)
    , m_onMessage(std::move(onMessage))
    , m_files(std::move(files))
    , m_relaunch(scheduler)
    , m_reader(std::make_shared<LineReader>(LineReader{maximumLineLength}))
    , m_mainThread(std::make_unique<QObject>())
    , m_parseQueue(std::make_unique<QThreadPool>())
{
    m_parseQueue->setMaxThreadCount(1); // one worker: chunks are read in order
    m_parseQueue->setObjectName(QStringLiteral("quib.bridge.parse"));
}

MediaBridgeProcess::~MediaBridgeProcess()
{
    m_stopped = true;
    m_parseQueue->clear();
    if (!m_process)
        return;
    m_process->disconnect();
    // A bridge ends by itself when its input closes; give it a moment.
    m_process->closeWriteChannel();
    if (!m_process->waitForFinished(1000)) {
        m_process->kill();
        m_process->waitForFinished(1000);
    }
    delete m_process;
}

void MediaBridgeProcess::start()
{
    m_stopped = false;
    launch();
}

void MediaBridgeProcess::launch()
{
    if (!QFileInfo::exists(m_files.script) || !QFileInfo::exists(m_files.library)) {
        qCWarning(lcMedia, "Quib: media bridge files are missing from the app bundle");
        return;
    }
    if (m_process) {
        m_process->disconnect();
        m_process->deleteLater();
    }
    const quint64 generation = ++m_generation;
    m_process = new QProcess;
    QProcess *process = m_process;
    const std::weak_ptr<LineReader> reader = m_reader;
    const QPointer<QObject> mainThread = m_mainThread.get();

    QObject::connect(process, &QProcess::readyReadStandardOutput, process, [this, process, generation, reader, mainThread] {
        const QByteArray chunk = process->readAllStandardOutput();
        if (chunk.isEmpty())
            return;
        m_parseQueue->start([this, chunk, generation, reader, mainThread] {
            const auto lines = reader.lock();
            if (!lines)
                return;
            for (const QJsonObject &object : lines->consume(chunk, generation))
                QMetaObject::invokeMethod(mainThread, [this, object] { deliver(object); }, Qt::QueuedConnection);
        });
    });
    QObject::connect(process, &QProcess::readyReadStandardError, process, [process] {
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder(process->readAllStandardError());
        if (!decoder.hasError() && !text.isEmpty())
            qCWarning(lcMedia, "Quib bridge: %s", qPrintable(text));
    });
    QObject::connect(process, &QProcess::finished, process, [this, mainThread] {
        // Handled behind the child's last chunks, so that an object it wrote
        // just before ending has reset the delay.
        m_parseQueue->start([this, mainThread] { QMetaObject::invokeMethod(mainThread, [this] { childEnded(); }, Qt::QueuedConnection); });
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            qCWarning(lcMedia, "Quib: could not start media bridge: %s", qPrintable(process->errorString()));
    });
    process->start(QStringLiteral("/usr/bin/perl"), {m_files.script, m_files.library});
}

void MediaBridgeProcess::childEnded()
{
    if (m_stopped)
        return;
    const double delay = m_restartDelay;
    m_restartDelay = std::min(delay * 2, longestRestartDelay);
    m_relaunch.start(delay, [this] { launch(); });
}

void MediaBridgeProcess::deliver(const QJsonObject &object)
{
    m_restartDelay = firstRestartDelay;
    m_onMessage(object);
}

void MediaBridgeProcess::send(const QString &command)
{
    // A child still starting takes the bytes too: QProcess holds them until
    // its input pipe is writable, so a command sent right after a launch is
    // not lost.
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return;
    m_process->write((command + u'\n').toUtf8());
}

void MediaBridgeProcess::stop()
{
    m_stopped = true;
    m_relaunch.cancel();
    if (!m_process)
        return;
    m_process->closeWriteChannel();
    m_process->terminate();
}
