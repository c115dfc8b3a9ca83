#include "Platform/Linux/BlueZBluetooth.h"

#include "BlueZStandIn.h"
#include "LogCapture.h"
#include "PrivateBus.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString headset = QStringLiteral("11:22:33:44:55:66");

// BlueZ's stand-in on a private bus, which plays the system bus.
class BlueZBluetoothComponentTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.isRunning()); }

    void startBlueZ()
    {
        blueZ = std::make_unique<BlueZStandIn>(bus.address());
        ASSERT_TRUE(blueZ->isRunning());
    }
    std::unique_ptr<BlueZBluetooth> makeBluetooth() { return std::make_unique<BlueZBluetooth>(bus.connect(QStringLiteral("quib"))); }
    static bool lists(const Bluetooth &bluetooth, const QList<BluetoothDevice> &devices)
    {
        return waitUntil([&] { return bluetooth.audioDevices() == devices; });
    }

    PrivateBus bus;
    std::unique_ptr<BlueZStandIn> blueZ;
};

} // namespace

TEST_F(BlueZBluetoothComponentTest, FollowsAHeadsetThatConnectsAndReportsItsBattery)
{
    startBlueZ();
    const auto bluetooth = makeBluetooth();
    ASSERT_TRUE(waitUntil([&] { return bluetooth->authorization() == BluetoothAuthorization::allowedAlways; }));
    ASSERT_TRUE(blueZ->addDevice(QStringLiteral("AA:BB:CC:DD:EE:FF"), QStringLiteral("Teclado")));
    ASSERT_TRUE(blueZ->addDevice(headset, QStringLiteral("AirPods Pro de Ana")));
    ASSERT_TRUE(blueZ->makeHeadset(headset));
    EXPECT_TRUE(lists(*bluetooth, {{"AirPods Pro de Ana", false, {}}})) << "only the device that plays audio";

    ASSERT_TRUE(blueZ->setConnected(headset, true));
    EXPECT_TRUE(lists(*bluetooth, {{"AirPods Pro de Ana", true, {}}}));
    ASSERT_TRUE(blueZ->setBattery(headset, 70));
    EXPECT_TRUE(lists(*bluetooth, {{"AirPods Pro de Ana", true, {70}}}));
    ASSERT_TRUE(blueZ->setBattery(headset, 65));
    EXPECT_TRUE(lists(*bluetooth, {{"AirPods Pro de Ana", true, {65}}}));

    ASSERT_TRUE(blueZ->setConnected(headset, false));
    ASSERT_TRUE(blueZ->removeBattery(headset));
    EXPECT_TRUE(lists(*bluetooth, {{"AirPods Pro de Ana", false, {}}}));
}

TEST_F(BlueZBluetoothComponentTest, ReadsTheDevicesBlueZAlreadyKnows)
{
    startBlueZ();
    ASSERT_TRUE(blueZ->addDevice(headset, QStringLiteral("Caixa da Sala")));
    ASSERT_TRUE(blueZ->makeHeadset(headset));
    ASSERT_TRUE(blueZ->setConnected(headset, true));
    ASSERT_TRUE(blueZ->setBattery(headset, 40));
    const auto bluetooth = makeBluetooth();
    EXPECT_TRUE(lists(*bluetooth, {{"Caixa da Sala", true, {40}}}));
    EXPECT_EQ(bluetooth->authorization(), BluetoothAuthorization::allowedAlways);
}

TEST_F(BlueZBluetoothComponentTest, WithoutBlueZItSaysSoOnceAndLoadsWhenBlueZStarts)
{
    LogCapture log;
    const auto bluetooth = makeBluetooth();
    ASSERT_TRUE(waitUntil([&] { return !log.messages(QStringLiteral("Quib: no BlueZ")).isEmpty(); }));
    EXPECT_EQ(log.messages(QStringLiteral("Quib: no BlueZ")).size(), 1);
    EXPECT_EQ(bluetooth->authorization(), BluetoothAuthorization::notDetermined);
    EXPECT_TRUE(bluetooth->audioDevices().isEmpty());

    startBlueZ();
    ASSERT_TRUE(blueZ->addDevice(headset, QStringLiteral("AirPods")));
    ASSERT_TRUE(blueZ->makeHeadset(headset));
    ASSERT_TRUE(blueZ->setConnected(headset, true));
    EXPECT_TRUE(waitUntil([&] { return bluetooth->authorization() == BluetoothAuthorization::allowedAlways; }));
    EXPECT_TRUE(lists(*bluetooth, {{"AirPods", true, {}}}));

    blueZ->stop();
    EXPECT_TRUE(lists(*bluetooth, {}));
    EXPECT_EQ(bluetooth->authorization(), BluetoothAuthorization::notDetermined);
}
