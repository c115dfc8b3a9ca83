#include "QuibProcess.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTest>

QuibProcess::QuibProcess()
    : m_environment(QProcessEnvironment::systemEnvironment())
{
    const QString config = m_folder.filePath(QStringLiteral("config"));
    const QString runtime = m_folder.filePath(QStringLiteral("runtime"));
    QDir().mkpath(config);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    writeDefaults(QJsonObject());
}

void QuibProcess::writeDefaults(QJsonObject values) const
{
    // Past the first launch's welcome window and the one-time banner about
    // the notifications database, which would cover what tests look at.
    for (const QString key : {QStringLiteral("onboardingDone"), QStringLiteral("fullDiskAccessSuggested")}) {
        if (!values.contains(key))
            values.insert(key, true);
    }
    const QString folder = m_environment.value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/quib");
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/defaults.json"));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(values).toJson()) < 0)
        qFatal("could not write the settings of the app under test in %s", qPrintable(folder));
}

void QuibProcess::writeDefaults(const QByteArray &json) const
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        qFatal("settings for the app under test are no JSON object: %s", json.constData());
    writeDefaults(document.object());
}

QString QuibProcess::executable()
{
    return QStringLiteral(QUIB_BINARY_DIR "/bin/quib");
}

QuibProcess::Result QuibProcess::run(const QStringList &arguments, int timeoutMs, const QByteArray &input) const
{
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.start(executable(), arguments);
    process.write(input);
    process.closeWriteChannel();
    Result result;
    result.finished = process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit;
    if (!result.finished) {
        process.kill();
        process.waitForFinished(1000);
    }
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

const QString RunningQuib::busName = QStringLiteral("com.brenvask.Quib");

RunningQuib::RunningQuib(QuibProcess &quib, ErrorOutput errors)
{
    m_process.setProcessEnvironment(quib.environment());
    m_process.setProcessChannelMode(errors == ErrorOutput::forwarded ? QProcess::ForwardedErrorChannel : QProcess::SeparateChannels);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.start(QuibProcess::executable(), {});
    m_process.waitForStarted(5000);
}

RunningQuib::~RunningQuib()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

bool RunningQuib::waitUntilReady(const QDBusConnection &bus, int timeoutMs)
{
    return QTest::qWaitFor(
        [&] { return !isRunning() || bus.interface()->isServiceRegistered(busName).value(); }, timeoutMs)
        && isRunning();
}

QString RunningQuib::errorOutput()
{
    m_errorOutput += QString::fromUtf8(m_process.readAllStandardError());
    return m_errorOutput;
}

std::optional<int> RunningQuib::waitForExit(int timeoutMs)
{
    // waitForFinished() is false for a process that has already ended.
    if (m_process.state() != QProcess::NotRunning)
        m_process.waitForFinished(timeoutMs);
    if (m_process.state() != QProcess::NotRunning || m_process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return m_process.exitCode();
}
