#include "LogCapture.h"

namespace {
QStringList captured;
QtMessageHandler previousHandler = nullptr;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    captured.append(message);
    if (previousHandler)
        previousHandler(type, context, message);
}
} // namespace

LogCapture::LogCapture()
{
    captured.clear();
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
    QStringList found;
    for (const QString &message : captured) {
        if (message.startsWith(prefix))
            found.append(message);
    }
    return found;
}
