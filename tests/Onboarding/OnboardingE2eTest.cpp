#include "DesktopAppTest.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <optional>

namespace {

// The welcome window on a first launch: a settings folder with nothing in it.
class OnboardingE2eTest : public DesktopAppTest {
protected:
    void beforeLaunch() override { ASSERT_TRUE(QFile::remove(settingsPath())); }

    QString settingsPath() { return quib.environment().value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/quib/defaults.json"); }
    QJsonObject settings()
    {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
    }

    QString xwininfo(const QStringList &arguments) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display.name());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral("xwininfo"), arguments);
        process.waitForFinished(5000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    // The frame of the app's viewable 520 × 680 window, if there is one.
    std::optional<QRect> welcomeWindow() const
    {
        static const QRegularExpression line(QStringLiteral(R"((0x[0-9a-f]+) .*\s520x680\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+))"));
        auto matches = line.globalMatch(xwininfo({QStringLiteral("-root"), QStringLiteral("-tree")}));
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            if (xwininfo({QStringLiteral("-id"), match.captured(1)}).contains(QStringLiteral("IsViewable")))
                return QRect(match.captured(2).toInt(), match.captured(3).toInt(), 520, 680);
        }
        return std::nullopt;
    }

    // The runs, 28 to 34 pixels tall, of the accent-tinted row icons down the
    // column through their centres.
    int rowIcons(const QRect &window) const
    {
        const QImage screen = desktopClient.screenshot();
        const int x = window.left() + 24 + 12 + 16;
        int icons = 0;
        int run = 0;
        for (int y = window.top(); y <= window.bottom() && y < screen.height(); ++y) {
            const QColor pixel = screen.pixelColor(x, y);
            if (pixel.green() - pixel.red() > 12) {
                ++run;
                continue;
            }
            if (run >= 28 && run <= 34)
                ++icons;
            run = 0;
        }
        return icons;
    }
};

} // namespace

TEST_F(OnboardingE2eTest, TheFirstLaunchWelcomesUntilContinueAndTheNextDoesNot)
{
    std::optional<QRect> window;
    ASSERT_TRUE(waitUntil([&] { return (window = welcomeWindow()).has_value(); }, 10000)) << "a 520 × 680 window among\n"
                                                                                                  << xwininfo({QStringLiteral("-root"), QStringLiteral("-tree")}).toStdString();
    EXPECT_TRUE(waitUntil([&] { return rowIcons(*window) == 5; })) << "five permission rows, seen " << rowIcons(*window);

    // "Continuar", the full-width button 24 points above the bottom.
    const QPoint finish = window->bottomLeft() + QPoint(window->width() / 2, -24 - 19);
    display.xdotool({QStringLiteral("mousemove"), QString::number(finish.x()), QString::number(finish.y()), QStringLiteral("click"), QStringLiteral("1")});
    EXPECT_TRUE(waitUntil([&] { return !welcomeWindow(); })) << "the window closes";
    EXPECT_TRUE(waitUntil([&] { return settings().value(QStringLiteral("onboardingDone")) == QJsonValue(true); }, 5000)) << "and it is recorded";

    app.reset();
    app = std::make_unique<RunningQuib>(quib);
    ASSERT_TRUE(app->waitUntilReady(observer));
    // The notch is made in the same turn as the window would be, before it:
    // once the notch shows, the window would have been mapped.
    ASSERT_TRUE(desktopClient.waitForNotch(QSize(190, 32)));
    EXPECT_FALSE(welcomeWindow());
}
