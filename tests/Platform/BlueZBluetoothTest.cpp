#include "Platform/Linux/BlueZBluetooth.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(BlueZBluetooth, AnAudioDeviceIsKnownByItsClassIconOrServices)
{
    const struct {
        const char *name;
        QVariantMap properties;
        bool isAudio;
    } cases[] = {
        {"headset class", {{"Class", 0x240404u}}, true},
        {"loudspeaker class", {{"Class", 0x240414u}}, true},
        {"phone class", {{"Class", 0x5a020cu}}, false},
        {"headset icon", {{"Icon", "audio-headset"}}, true},
        {"speaker icon", {{"Icon", "audio-card"}}, true},
        {"keyboard icon", {{"Icon", "input-keyboard"}}, false},
        {"audio sink service", {{"UUIDs", QStringList{"0000110B-0000-1000-8000-00805F9B34FB"}}}, true},
        {"hands-free service", {{"UUIDs", QStringList{"0000111e-0000-1000-8000-00805f9b34fb"}}}, true},
        {"audio source only (a phone)", {{"UUIDs", QStringList{"0000110a-0000-1000-8000-00805f9b34fb"}}}, false},
        {"nothing known yet", {{"Class", 0u}, {"Icon", ""}, {"UUIDs", QStringList{}}}, false},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(BlueZBluetooth::isAudioDevice(row.properties), row.isAudio);
    }
}
