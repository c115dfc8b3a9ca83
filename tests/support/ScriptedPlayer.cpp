#include "ScriptedPlayer.h"

QString ScriptedPlayer::program()
{
    return QStringLiteral(QUIB_BINARY_DIR "/bin/scripted-mpris-player");
}

bool ScriptedPlayer::start(const QString &name)
{
    return m_process.start(program(), {QStringLiteral("--name"), name}) && m_process.nextLine() == QByteArray("ready");
}

bool ScriptedPlayer::run(const QString &line)
{
    m_process.writeLine(line.toUtf8());
    return m_process
        .waitForLine([this](const QByteArray &output) {
            if (output.startsWith("call "))
                m_calls.append(output.mid(5));
            return output == "ok";
        })
        .has_value();
}

bool ScriptedPlayer::waitForCall(const QString &text, int timeoutMilliseconds)
{
    const QByteArray wanted = text.toUtf8();
    if (m_calls.removeOne(wanted))
        return true;
    return m_process
        .waitForLine(
            [this, &wanted](const QByteArray &output) {
                if (output == "call " + wanted)
                    return true;
                if (output.startsWith("call "))
                    m_calls.append(output.mid(5));
                return false;
            },
            timeoutMilliseconds)
        .has_value();
}

bool ScriptedPlayer::hasCall(const QString &text)
{
    readCalls();
    return m_calls.removeOne(text.toUtf8());
}

std::optional<QString> ScriptedPlayer::takeCall(const QString &prefix)
{
    readCalls();
    for (qsizetype i = 0; i < m_calls.size(); ++i) {
        if (m_calls[i].startsWith(prefix.toUtf8()))
            return QString::fromUtf8(m_calls.takeAt(i));
    }
    return std::nullopt;
}

void ScriptedPlayer::readCalls()
{
    while (const auto line = m_process.nextLine(0)) {
        if (line->startsWith("call "))
            m_calls.append(line->mid(5));
    }
}

void ScriptedPlayer::quit()
{
    m_process.writeLine("quit");
    m_process.waitForExit();
}
