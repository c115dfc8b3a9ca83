#include "LogCapture.h"

#include <QMutex>

namespace {
// Messages may come from worker threads.
QMutex capturedLock;
QStringList captured;
QtMessageHandler previousHandler = nullptr;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        const QMutexLocker locker(&capturedLock);
        captured.append(message);
    }
    if (previousHandler)
        previousHandler(type, context, message);
}
} // namespace

LogCapture::LogCapture()
{
    {
        const QMutexLocker locker(&capturedLock);
        captured.clear();
    }
    m_previous = qInstallMessageHandler(capture);
    previousHandler = m_previous;
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    previousHandler = nullptr;
}

QStringList LogCapture::messages(const QString &prefix) const
{
    const QMutexLocker locker(&capturedLock);
    QStringList found;
    for (const QString &message : captured) {
        if (message.startsWith(prefix))
            found.append(message);
    }
    return found;
}
