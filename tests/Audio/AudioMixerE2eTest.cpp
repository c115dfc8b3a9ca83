// The real app under Xvfb with two applications playing on a private sound
// server: a gain saved before launch reaches its application's stream with
// no window opened, and the mixer opened from the notch's menu shows and
// moves each application's volume.

#include "DesktopAppTest.h"
#include "PulseServer.h"
#include "SoundApps.h"
#include "Wait.h"

#include <QDir>
#include <QFile>

namespace {

const QString alpha = QStringLiteral("quibalpha");
const QString beta = QStringLiteral("quibbeta");
constexpr double halfAmplitudeDecibels = -6.02;
const QList<quint32> fullVolume{65536, 65536};

// The notch closed: the simulated one, 190 × 32. The mixer with two
// applications: 420 wide, the notch band, the "Geral" row and two rows.
constexpr int notchHeight = 32;
const QSize closedSize(190, notchHeight);
const QSize mixerSize(420, notchHeight + 47 + 2 * 32);
// Inside the mixer: rows from x 28, 364 wide; "Geral" 26 high from 4 below
// the notch, then a divider and the applications' rows, 32 high each. A row
// holds a 22-point icon, its title, a slider 170 wide and the percentage.
constexpr int rowsLeft = 28;
constexpr int rowsWidth = 420 - 2 * 28;
constexpr int systemTop = notchHeight + 4;
constexpr int listTop = systemTop + 26 + 4 + 1 + 4;
constexpr int applicationHeight = 32;
constexpr int sliderLeft = rowsLeft + rowsWidth - 34 - 10 - 170;
constexpr int sliderWidth = 170;

std::optional<QList<quint32>> volumeOf(qint64 pid)
{
    const std::optional<PulseServer::Stream> stream = PulseServer::stream(QStringLiteral("sink-inputs"), pid);
    return stream ? std::optional(stream->volume) : std::nullopt;
}

// How many pixels of `area` are the grey of the menu's separator lines:
// neither the white desktop nor the notch's black.
int separatorPixels(const QImage &image, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const int gray = qGray(image.pixel(x, y));
            count += gray > 180 && gray < 210 ? 1 : 0;
        }
    }
    return count;
}

// Whether `area` holds light ink (text) on the panel's black.
bool hasLightInk(const QImage &image, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) > 160)
                return true;
        }
    }
    return false;
}

class AudioMixerE2eTest : public DesktopAppTest {
protected:
    void beforeLaunch() override
    {
        ASSERT_TRUE(sound.isReady()) << sound.log().constData();
        apps.addApplication(alpha, QStringLiteral("Alfa"), Qt::red);
        apps.addApplication(beta, QStringLiteral("Beta"), Qt::blue);
        alphaPlayer = apps.play(alpha);
        betaPlayer = apps.play(beta);
        ASSERT_TRUE(waitUntil([&] { return volumeOf(alphaPlayer) && volumeOf(betaPlayer); }));
        quib.environment().insert(QStringLiteral("PULSE_SERVER"), QString::fromUtf8(qgetenv("PULSE_SERVER")));
        quib.environment().insert(QStringLiteral("XDG_DATA_HOME"), apps.dataHome());
        if (!savedSettings.isEmpty())
            quib.writeDefaults(savedSettings);
    }

    // Right-clicks the notch until its menu shows (the app takes a click
    // only once it has seen the pointer over the notch), then picks the
    // item with the keys given.
    void chooseFromMenu(const QStringList &keys)
    {
        const QPoint pointer(desktop.width() / 2, 10);
        display.movePointer(pointer);
        // The menu hangs from the pointer; its two separators cross this
        // area, 100 pixels each.
        const QRect separators(pointer + QPoint(20, 30), QSize(100, 50));
        bool shown = false;
        for (int attempt = 0; attempt < 10 && !shown; ++attempt) {
            display.xdotool({QStringLiteral("click"), QStringLiteral("3")});
            shown = waitUntil([&] { return separatorPixels(desktopClient.screenshot(), separators) >= 150; }, 1000);
        }
        ASSERT_TRUE(shown) << "the notch's menu did not show";
        display.xdotool(QStringList{QStringLiteral("key")} + keys);
    }

    // A point of the mixer, in screen coordinates: it hangs from the top
    // centre of the screen.
    QPoint onScreen(int x, int y) const { return QPoint((desktop.width() - mixerSize.width()) / 2 + x, y); }

    PulseServer sound;
    SoundApps apps;
    QByteArray savedSettings;
    qint64 alphaPlayer = 0;
    qint64 betaPlayer = 0;
};

class SavedGain : public AudioMixerE2eTest {
protected:
    SavedGain() { savedSettings = QStringLiteral(R"({"appVolumes": {"%1": 0.5}})").arg(alpha).toUtf8(); }
};

} // namespace

TEST_F(SavedGain, AppliesAtLaunchWithNoWindowAndQuittingFromTheMenuPutsItBack)
{
    EXPECT_NEAR(PulseServer::settledDecibels(alphaPlayer, halfAmplitudeDecibels), halfAmplitudeDecibels, 0.05);
    EXPECT_EQ(volumeOf(betaPlayer), fullVolume);
    EXPECT_TRUE(desktopClient.waitForNotch(closedSize)) << "the notch stays closed; last seen " << desktopClient.last().width() << "x"
                                                       << desktopClient.last().height();

    // "Sair do Quib" is the menu's last item.
    ASSERT_NO_FATAL_FAILURE(chooseFromMenu({QStringLiteral("Up"), QStringLiteral("Return")}));
    EXPECT_EQ(app->waitForExit(), 0);
    EXPECT_EQ(volumeOf(alphaPlayer), fullVolume);
    EXPECT_EQ(volumeOf(betaPlayer), fullVolume);
}

TEST_F(AudioMixerE2eTest, TheMixerFromTheMenuShowsTheApplicationsAndItsSlidersSetTheirVolume)
{
    // "Mixer de volume" is the menu's second item.
    ASSERT_NO_FATAL_FAILURE(chooseFromMenu({QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Return")}));
    ASSERT_TRUE(desktopClient.waitForNotch(mixerSize)) << "last seen " << desktopClient.last().width() << "x" << desktopClient.last().height();

    // The rows in name order, each with its entry's icon: Alfa's red, then
    // Beta's blue, centred in the leading 22 points.
    const auto iconColour = [&](const QImage &shot, int row) {
        return shot.pixelColor(onScreen(rowsLeft + 11, listTop + applicationHeight * row + applicationHeight / 2));
    };
    QImage shot;
    EXPECT_TRUE(waitUntil([&] {
        shot = desktopClient.screenshot();
        const QColor first = iconColour(shot, 0);
        const QColor second = iconColour(shot, 1);
        return first.red() > 200 && first.blue() < 60 && second.blue() > 200 && second.red() < 60;
    }, 5000)) << "icons " << iconColour(shot, 0).name().toStdString() << " " << iconColour(shot, 1).name().toStdString();
    // Titles: "Geral" and the applications' names, after the leading mark.
    const QRect systemTitle(onScreen(rowsLeft + 32, systemTop), onScreen(sliderLeft - 10, systemTop + 26 - 1));
    EXPECT_TRUE(hasLightInk(shot, systemTitle));
    for (int row = 0; row < 2; ++row) {
        const int top = listTop + applicationHeight * row;
        EXPECT_TRUE(hasLightInk(shot, QRect(onScreen(rowsLeft + 32, top), onScreen(sliderLeft - 10, top + applicationHeight - 1)))) << row;
    }

    // Alfa's slider dragged from its full end to a quarter.
    const int sliderY = listTop + applicationHeight / 2;
    const QPoint from = onScreen(sliderLeft + sliderWidth - 2, sliderY);
    const QPoint to = onScreen(sliderLeft + sliderWidth / 4, sliderY);
    display.movePointer(from);
    display.xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    display.movePointer(to);
    display.xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    // A quarter of the amplitude; one pixel of the slider is 1/170 of the
    // gain, about 0.2 dB here.
    EXPECT_NEAR(PulseServer::settledDecibels(alphaPlayer, 2 * halfAmplitudeDecibels), 2 * halfAmplitudeDecibels, 0.5);
    EXPECT_EQ(volumeOf(betaPlayer), fullVolume);
}
