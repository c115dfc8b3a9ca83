#include "LineProcess.h"

#include <QDeadlineTimer>

LineProcess::LineProcess()
{
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
}

LineProcess::~LineProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.closeWriteChannel();
    if (m_process.waitForFinished(2000))
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(2000))
        m_process.kill();
    m_process.waitForFinished(2000);
}

bool LineProcess::start(const QString &program, const QStringList &arguments)
{
    m_process.start(program, arguments);
    return m_process.waitForStarted(5000);
}

std::optional<QByteArray> LineProcess::nextLine(int timeoutMilliseconds)
{
    const QDeadlineTimer deadline(timeoutMilliseconds);
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\n');
        if (end >= 0) {
            QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 1);
            return line;
        }
        m_buffer += m_process.readAllStandardOutput();
        if (m_buffer.contains('\n'))
            continue;
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return std::nullopt;
        m_process.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
}

std::optional<QByteArray> LineProcess::waitForLine(const std::function<bool(const QByteArray &)> &accept, int timeoutMilliseconds)
{
    const QDeadlineTimer deadline(timeoutMilliseconds);
    while (const auto line = nextLine(static_cast<int>(std::max<qint64>(0, deadline.remainingTime())))) {
        if (accept(*line))
            return line;
    }
    return std::nullopt;
}

bool LineProcess::staysQuiet(int milliseconds)
{
    return !nextLine(milliseconds).has_value();
}

void LineProcess::writeLine(const QByteArray &line)
{
    m_process.write(line + '\n');
    m_process.waitForBytesWritten(2000);
}

std::optional<int> LineProcess::waitForExit(int timeoutMilliseconds)
{
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(timeoutMilliseconds))
        return std::nullopt;
    return m_process.exitStatus() == QProcess::NormalExit ? std::optional<int>(m_process.exitCode()) : std::nullopt;
}
