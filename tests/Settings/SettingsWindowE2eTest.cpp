// The real app under Xvfb: a second launch opens the settings window, the
// diagnostic channel switches its page, and the General page's first switch
// writes and removes the autostart entry.

#include "DesktopAppTest.h"
#include "Wait.h"

#include <QDir>
#include <QFile>

namespace {

const QSize windowSize(650, 712);
// Where the page header's 22-point icon lies in the window: after the
// 220-point sidebar and its separator, 16 points in, centred in 52 points.
const QRect headerIcon(221 + 16, 15, 22, 22);

class SettingsWindowE2eTest : public DesktopAppTest {
protected:
    void beforeLaunch() override
    {
        quib.writeDefaults(QByteArray("{\"debugHooks\": true}"));
    }

    QString configHome() { return quib.environment().value(QStringLiteral("XDG_CONFIG_HOME")); }

    void send(const QString &word)
    {
        QProcess dbusSend;
        dbusSend.start(QStringLiteral("dbus-send"), {QStringLiteral("--session"), QStringLiteral("--type=signal"), QStringLiteral("/com/brenvask/Quib"),
                                                     QStringLiteral("com.brenvask.Quib.debug"), QStringLiteral("string:") + word,
                                                     QStringLiteral("dict:string:string:")});
        ASSERT_TRUE(dbusSend.waitForFinished(10000));
        ASSERT_EQ(dbusSend.exitCode(), 0);
    }

    // What is not the white desktop below the notch: the settings window.
    QRect windowBounds(const QImage &shot) const
    {
        QRect bounds;
        for (int y = 40; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                if (qGray(shot.pixel(x, y)) < 200)
                    bounds |= QRect(x, y, 1, 1);
            }
        }
        return bounds;
    }

    // Waits for the window to show at its size; its frame on the screen.
    QRect waitForWindow()
    {
        QRect bounds;
        waitUntil([&] {
            bounds = windowBounds(desktopClient.screenshot());
            return bounds.size() == windowSize;
        });
        return bounds;
    }

    // The header icon's lower part: white on the calendar's sheet, grey on
    // the General page's square.
    int headerIconShade(const QRect &window)
    {
        const QImage shot = desktopClient.screenshot();
        const QPoint probe = window.topLeft() + headerIcon.center() + QPoint(-6, 7);
        return qGray(shot.pixel(probe));
    }
};

} // namespace

TEST_F(SettingsWindowE2eTest, ASecondLaunchOpensTheWindowOnGeneralAndTheChannelSwitchesThePage)
{
    const auto second = quib.run({});
    ASSERT_TRUE(second.finished);
    EXPECT_EQ(second.exitCode, 0);
    const QRect window = waitForWindow();
    ASSERT_EQ(window.size(), windowSize);
    EXPECT_LT(headerIconShade(window), 160) << "the General page's grey icon";

    send(QStringLiteral("settings:calendar"));
    EXPECT_TRUE(waitUntil([&] { return headerIconShade(window) > 230; })) << "the calendar's white sheet";

    send(QStringLiteral("settings-close"));
    EXPECT_TRUE(waitUntil([&] { return windowBounds(desktopClient.screenshot()).isEmpty(); }));
    // Opened again, it shows the page chosen last.
    send(QStringLiteral("settings:calendar"));
    ASSERT_EQ(waitForWindow().size(), windowSize);
    EXPECT_GT(headerIconShade(window), 230);
}

TEST_F(SettingsWindowE2eTest, OpeningAtLoginWritesAndRemovesTheAutostartEntry)
{
    const QString entry = configHome() + QStringLiteral("/autostart/com.brenvask.Quib.desktop");
    ASSERT_TRUE(quib.run({}).finished);
    const QRect window = waitForWindow();
    ASSERT_EQ(window.size(), windowSize);

    // The first row's switch: its light knob, found from the right along the
    // row's middle (header 52, column inset 4, row 42).
    const int rowMiddle = window.top() + 52 + 4 + 21;
    const auto knob = [&] {
        const QImage shot = desktopClient.screenshot();
        for (int x = window.right() - 10; x > window.left() + 221; --x) {
            if (qGray(shot.pixel(x, rowMiddle)) > 180)
                return QPoint(x - 4, rowMiddle);
        }
        return QPoint();
    };
    QPoint at;
    ASSERT_TRUE(waitUntil([&] { return !(at = knob()).isNull(); })) << "the switch is drawn";
    display.xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
    EXPECT_TRUE(waitUntil([&] { return QFile::exists(entry); }));
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Exec=\""));

    display.xdotool({QStringLiteral("click"), QStringLiteral("1")});
    EXPECT_TRUE(waitUntil([&] { return !QFile::exists(entry); }));
}
