#include "QtPrinters.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

// A setting changed right before the process ends by a termination signal
// is in the file afterwards, though its write was still waiting: the signal
// ends the event loop, and the settings store writes what is pending as it
// goes.
TEST(JsonUserDefaultsQuit, AChangeRightBeforeATerminationSignalIsKept)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.path());
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        const QString width = QString::number(120 + signal);
        process.start(QStringLiteral(QUIB_BINARY_DIR "/bin/quib-settings-change"), {width, QString::number(signal)});
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);

        QFile file(folder.filePath(QStringLiteral("quib/defaults.json")));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(QJsonDocument::fromJson(file.readAll()).object().value(u"openWidth").toDouble(), width.toDouble());
    }
}
