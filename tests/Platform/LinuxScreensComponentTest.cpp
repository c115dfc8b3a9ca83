#include "PrivateDisplay.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QRect>

#include <gtest/gtest.h>

namespace {

QRect rect(const QJsonValue &value)
{
    const QJsonArray numbers = value.toArray();
    return QRect(numbers.at(0).toInt(), numbers.at(1).toInt(), numbers.at(2).toInt(), numbers.at(3).toInt());
}

// The X11 backend in a child process on a private X server, reporting what
// it sees.
class LinuxScreensOnX11 : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display.isRunning()) << "Xvfb did not start";
        // A top panel of 27 pixels.
        ASSERT_TRUE(display.setWorkArea(QRect(0, 27, 1280, 773)));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display.name());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        probe.setProcessEnvironment(environment);
        probe.start(QStringLiteral(QUIB_BINARY_DIR "/bin/quib-screens-probe"), {});
        ASSERT_TRUE(probe.waitForStarted(5000));
    }

    void TearDown() override
    {
        probe.closeWriteChannel();
        if (!probe.waitForFinished(3000))
            probe.kill();
    }

    // The next report of the probe, or an empty list after 10 s.
    QJsonArray nextReport()
    {
        const QDeadlineTimer deadline(10000);
        while (!probe.canReadLine() && !deadline.hasExpired() && probe.state() == QProcess::Running)
            probe.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        return QJsonDocument::fromJson(probe.readLine()).array();
    }

    PrivateDisplay display{QSize(1280, 800)};
    QProcess probe;
};

TEST_F(LinuxScreensOnX11, TopPanelFromTheWorkArea)
{
    const QJsonArray screens = nextReport();
    ASSERT_EQ(screens.size(), 1) << probe.readAllStandardError().constData();
    const QJsonObject screen = screens.at(0).toObject();
    EXPECT_FALSE(screen.value(QStringLiteral("identifier")).toString().isEmpty());
    EXPECT_EQ(rect(screen.value(QStringLiteral("frame"))), QRect(0, 0, 1280, 800));
    EXPECT_EQ(rect(screen.value(QStringLiteral("visibleFrame"))), QRect(0, 27, 1280, 773));
    EXPECT_EQ(screen.value(QStringLiteral("scale")).toDouble(), 1);
}

TEST_F(LinuxScreensOnX11, ReportsAChangedWorkAreaOnce)
{
    ASSERT_EQ(nextReport().size(), 1);
    // The panel grows.
    ASSERT_TRUE(display.setWorkArea(QRect(0, 40, 1280, 760)));
    const QJsonArray changed = nextReport();
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(rect(changed.at(0).toObject().value(QStringLiteral("visibleFrame"))), QRect(0, 40, 1280, 760));

    // One change, one report.
    probe.waitForReadyRead(500);
    EXPECT_FALSE(probe.canReadLine());
}

} // namespace
