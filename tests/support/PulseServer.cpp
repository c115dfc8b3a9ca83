#include "PulseServer.h"

#include "Wait.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

PulseServer::PulseServer()
{
    const QString home = m_directory.filePath("home");
    const QString runtime = m_directory.filePath("run");
    QDir().mkpath(home);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_socket = m_directory.filePath("native");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("XDG_RUNTIME_DIR", runtime);
    m_server.setProcessEnvironment(environment);
    m_server.start("pulseaudio", {"-n", "--daemonize=no", "--exit-idle-time=-1", "--log-target=stderr", "-v",
                                  "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + m_socket,
                                  "-L", "module-null-sink sink_name=speakers",
                                  "-L", "module-null-source source_name=mic"});
    m_ready = waitUntil([this] { return m_server.state() == QProcess::NotRunning || (m_log += m_server.readAllStandardError()).contains("Daemon startup complete"); }, 10000)
        && m_server.state() == QProcess::Running;
    qputenv("PULSE_SERVER", "unix:" + m_socket.toUtf8());
}

PulseServer::~PulseServer()
{
    stop();
    qunsetenv("PULSE_SERVER");
}

void PulseServer::stop()
{
    m_server.terminate();
    m_server.waitForFinished(5000);
}

QString PulseServer::pactl(const QStringList &arguments)
{
    QProcess process;
    process.start("pactl", arguments);
    process.waitForFinished(5000);
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError()).trimmed();
}

QList<PulseServer::Stream> PulseServer::streams(const QString &kind)
{
    QList<Stream> list;
    const QJsonArray array = QJsonDocument::fromJson(pactl({"--format=json", "list", kind}).toUtf8()).array();
    for (const QJsonValue &value : array) {
        const QJsonObject object = value.toObject();
        Stream stream;
        stream.index = quint32(object.value("index").toInteger());
        stream.processIdentifier = object.value("properties").toObject().value("application.process.id").toString().toLongLong();
        const QJsonObject volume = object.value("volume").toObject();
        for (const QString &channel : volume.keys())
            stream.volume.append(quint32(volume.value(channel).toObject().value("value").toInteger()));
        stream.decibels = volume.value(volume.keys().value(0)).toObject().value("db").toString().section(' ', 0, 0).toDouble();
        list.append(stream);
    }
    return list;
}

std::optional<PulseServer::Stream> PulseServer::stream(const QString &kind, qint64 pid)
{
    for (const Stream &stream : streams(kind)) {
        if (stream.processIdentifier == pid)
            return stream;
    }
    return std::nullopt;
}

double PulseServer::settledDecibels(qint64 pid, double expected)
{
    double decibels = NAN;
    waitUntil([&] {
        const std::optional<Stream> found = stream("sink-inputs", pid);
        decibels = found ? found->decibels : NAN;
        return std::abs(decibels - expected) < 0.05;
    }, 5000);
    return decibels;
}
