#include "Alerts/DisplayBrightness.h"
#include "Alerts/HUDController.h"
#include "LogCapture.h"
#include "Platform/Linux/LinuxBacklights.h"
#include "PrivateBus.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

// logind's session object as far as backlights go: SetBrightness writes the
// value into the sysfs tree of the test, as logind does into /sys, or
// refuses the way logind refuses a session that is not active.
class FakeLogindSession : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
public:
    // The sysfs class folder it writes into.
    QString root;
    QStringList calls;
    bool refuses = false;

public Q_SLOTS:
    void SetBrightness(const QString &subsystem, const QString &name, uint brightness)
    {
        calls << QStringLiteral("%1 %2 %3").arg(subsystem, name).arg(brightness);
        if (refuses) {
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("Not in active session"));
            return;
        }
        QFile file(QDir(root).filePath(name + QStringLiteral("/brightness")));
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray::number(brightness) + '\n');
    }
};

namespace {

class LinuxBacklightsComponentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isRunning());
        root = directory.filePath("class/backlight");
        QDir().mkpath(root);
        // The class entries link into the device tree, as in /sys.
        addDevice("intel_backlight", "devices/pci0000:00/0000:00:02.0/drm/card0/card0-eDP-1/intel_backlight", "120", "240");
        addDevice("ddcci3", "devices/pci0000:00/i2c-4/4-0037/ddcci3/backlight/ddcci3", "30", "100");
        addDevice("acpi_video0", "devices/LNXSYSTM:00/acpi_video0", "7", "15");

        logind.root = root;
        QDBusConnection logindSide = bus.connect("logind");
        ASSERT_TRUE(logindSide.registerService("org.freedesktop.login1"));
        ASSERT_TRUE(logindSide.registerObject("/org/freedesktop/login1/session/auto", &logind, QDBusConnection::ExportAllSlots));
        client = bus.connect("client");
        backlights = std::make_unique<LinuxBacklights>(client, root);
    }

    void addDevice(const QString &name, const QString &devicePath, const QByteArray &brightness, const QByteArray &maximum)
    {
        const QString device = directory.filePath(devicePath);
        QDir().mkpath(device);
        write(device + "/brightness", brightness);
        write(device + "/max_brightness", maximum);
        ASSERT_TRUE(QFile::link(device, QDir(root).filePath(name)));
    }
    void write(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content + '\n');
    }
    QByteArray fileOf(const QString &name) const
    {
        QFile file(QDir(root).filePath(name + "/brightness"));
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
    }

    PrivateBus bus;
    QTemporaryDir directory;
    QString root;
    FakeLogindSession logind;
    QDBusConnection client{QString()};
    std::unique_ptr<LinuxBacklights> backlights;
};

TEST_F(LinuxBacklightsComponentTest, ListsTheBacklightsAndTellsThePanelFromMonitors)
{
    EXPECT_TRUE(LinuxBacklights::isAvailable(client));
    EXPECT_EQ(backlights->displays(), QStringList({"acpi_video0", "ddcci3", "intel_backlight"}));
    EXPECT_TRUE(backlights->isBuiltIn("intel_backlight"));
    EXPECT_TRUE(backlights->isBuiltIn("acpi_video0"));
    EXPECT_FALSE(backlights->isBuiltIn("ddcci3")) << "a monitor reached over DDC/CI";
    EXPECT_FALSE(backlights->isBuiltIn("nothing"));
}

TEST_F(LinuxBacklightsComponentTest, ReadsTheLevelAndRejectsWhatIsNotOne)
{
    EXPECT_EQ(backlights->brightness("intel_backlight"), 0.5f);
    EXPECT_EQ(backlights->brightness("ddcci3"), 0.3f);

    addDevice("zero_max", "devices/zero_max", "3", "0");
    addDevice("garbage", "devices/garbage", "bright", "100");
    addDevice("negative", "devices/negative", "-4", "100");
    addDevice("too_bright", "devices/too_bright", "150", "100");
    QDir().mkpath(QDir(root).filePath("empty"));
    const std::pair<const char *, std::optional<float>> cases[] = {
        {"zero_max", std::nullopt}, {"garbage", std::nullopt}, {"negative", std::nullopt}, {"empty", std::nullopt},
        {"too_bright", 1.0f},       {"nothing", std::nullopt}, {"../backlight/intel_backlight", std::nullopt},
    };
    for (const auto &[name, level] : cases)
        EXPECT_EQ(backlights->brightness(name), level) << name;
}

TEST_F(LinuxBacklightsComponentTest, WritesThroughLogindAndReadsTheLevelAskedForMeanwhile)
{
    ASSERT_TRUE(backlights->setBrightness("intel_backlight", 0.75f));
    // Before logind has answered, the level asked for is what counts.
    EXPECT_EQ(backlights->brightness("intel_backlight"), 0.75f);
    ASSERT_TRUE(waitUntil([&] { return fileOf("intel_backlight") == "180"; }));
    EXPECT_EQ(logind.calls, QStringList({"backlight intel_backlight 180"}));
    ASSERT_TRUE(waitUntil([&] { return backlights->brightness("intel_backlight") == 0.75f; }));

    // Rounded to the nearest step the device has.
    ASSERT_TRUE(backlights->setBrightness("acpi_video0", 0.5f));
    EXPECT_TRUE(waitUntil([&] { return fileOf("acpi_video0") == "8"; }));
}

TEST_F(LinuxBacklightsComponentTest, NeverAsksForALevelThatIsNotOne)
{
    const float levels[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), -0.1f, 1.2f};
    for (float level : levels)
        EXPECT_FALSE(backlights->setBrightness("intel_backlight", level)) << level;
    EXPECT_FALSE(backlights->setBrightness("nothing", 0.5f));
    EXPECT_FALSE(backlights->setBrightness("../backlight/intel_backlight", 0.5f));
    // A round trip through logind: everything sent before has arrived.
    ASSERT_TRUE(backlights->setBrightness("ddcci3", 0.4f));
    ASSERT_TRUE(waitUntil([&] { return !logind.calls.isEmpty(); }));
    EXPECT_EQ(logind.calls, QStringList({"backlight ddcci3 40"}));
    EXPECT_EQ(fileOf("intel_backlight"), "120");
}

TEST_F(LinuxBacklightsComponentTest, RefusalLeavesTheLevelAndIsLoggedOnce)
{
    LogCapture log;
    logind.refuses = true;
    for (float level : {0.6f, 0.7f})
        ASSERT_TRUE(backlights->setBrightness("intel_backlight", level));
    ASSERT_TRUE(waitUntil([&] { return logind.calls.size() == 2 && backlights->brightness("intel_backlight") == 0.5f; }));
    EXPECT_EQ(fileOf("intel_backlight"), "120");
    EXPECT_EQ(log.messages("Quib: could not set the brightness of intel_backlight").size(), 1);
}

TEST_F(LinuxBacklightsComponentTest, ThePanelsFirmwareAndDriverEntriesAreOneDisplay)
{
    // What the kernel says of each entry's interface.
    write(root + "/acpi_video0/type", "firmware");
    write(root + "/intel_backlight/type", "raw");
    write(root + "/ddcci3/type", "raw");
    addDevice("asus_screenpad", "devices/platform/asus-nb-wmi/backlight/asus_screenpad", "50", "255");
    write(root + "/asus_screenpad/type", "platform");
    EXPECT_EQ(backlights->displays(), QStringList({"acpi_video0", "asus_screenpad", "ddcci3"}));
    // The entry left out is still a backlight that can be read.
    EXPECT_EQ(backlights->brightness("intel_backlight"), 0.5f);
    EXPECT_TRUE(backlights->isBuiltIn("intel_backlight"));

    // Without the firmware's entry the driver's is the panel.
    write(root + "/acpi_video0/type", "platform");
    EXPECT_EQ(backlights->displays(), QStringList({"acpi_video0", "asus_screenpad", "ddcci3", "intel_backlight"}));
}

TEST_F(LinuxBacklightsComponentTest, BrightnessStepsMoveEachDisplayByItsOwnLevels)
{
    EXPECT_EQ(backlights->levelCount("acpi_video0"), 15);
    EXPECT_EQ(backlights->levelCount("intel_backlight"), 240);
    EXPECT_EQ(backlights->levelCount("nothing"), 0);

    // The key presses of the brightness indicator, written through logind.
    DisplayBrightness brightness(*backlights);
    const struct {
        const char *name;
        QByteArray from;
        QByteArray maximum;
        HUDController::Direction direction;
        QByteArray to;
    } cases[] = {
        {"15 levels at 8, down", "8", "15", HUDController::Direction::down, "7"},
        {"7 levels at 4, up", "4", "7", HUDController::Direction::up, "5"},
        {"10 levels at 9, up", "9", "10", HUDController::Direction::up, "10"},
        {"10 levels at 1, down", "1", "10", HUDController::Direction::down, "0"},
        {"255 levels at 128, up", "128", "255", HUDController::Direction::up, "143"},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        const QString panel = QStringLiteral("panel_%1_%2").arg(QString::fromLatin1(row.from), QString::fromLatin1(row.maximum));
        addDevice(panel, "devices/" + panel, row.from, row.maximum);
        const float current = *brightness.brightness(panel);
        const float level = brightness.levelToward(panel, current, HUDController::stepped(current, HUDController::step, row.direction));
        ASSERT_TRUE(brightness.setBrightness(panel, level));
        EXPECT_TRUE(waitUntil([&] { return fileOf(panel) == row.to; })) << fileOf(panel).constData();
        EXPECT_EQ(logind.calls.last(), "backlight " + panel + " " + QString::fromLatin1(row.to));
    }
}

TEST(LinuxBacklightsAbsentTest, NoLogindOnTheBus)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.isRunning());
    EXPECT_FALSE(LinuxBacklights::isAvailable(bus.connect("lonely")));
    EXPECT_FALSE(LinuxBacklights::isAvailable(QDBusConnection(QString())));
}

} // namespace

#include "LinuxBacklightsComponentTest.moc"
