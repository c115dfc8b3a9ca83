#include "Alerts/MediaKeyMonitor.h"
#include "Platform/Fake/FakeKeyCapture.h"

#include <gtest/gtest.h>

namespace {

struct Press {
    MediaKey key;
    Qt::KeyboardModifiers modifiers;
    bool operator==(const Press &) const = default;
};

TEST(MediaKeyMonitor, DecodesTheFiveKeysWithTheirModifiers)
{
    FakeKeyCapture keys;
    MediaKeyMonitor monitor(keys);
    QList<Press> presses;
    monitor.handler = [&](MediaKey key, Qt::KeyboardModifiers modifiers) {
        presses.append({key, modifiers});
        return key != MediaKey::mute;
    };
    ASSERT_TRUE(monitor.start());

    const struct {
        KeyCombination combination;
        std::optional<KeyHandling> handling;
        std::optional<Press> press;
    } cases[] = {
        {{Qt::Key_VolumeUp, {}}, KeyHandling::Handled, Press{MediaKey::volumeUp, {}}},
        {{Qt::Key_VolumeDown, Qt::AltModifier | Qt::ShiftModifier}, KeyHandling::Handled, Press{MediaKey::volumeDown, Qt::AltModifier | Qt::ShiftModifier}},
        {{Qt::Key_MonBrightnessUp, Qt::ControlModifier}, KeyHandling::Handled, Press{MediaKey::brightnessUp, Qt::ControlModifier}},
        {{Qt::Key_MonBrightnessDown, {}}, KeyHandling::Handled, Press{MediaKey::brightnessDown, {}}},
        // Declined by the handler: the press goes on.
        {{Qt::Key_VolumeMute, {}}, KeyHandling::Declined, Press{MediaKey::mute, {}}},
        // Not a key of interest: never taken, the handler is not asked.
        {{Qt::Key_MediaPlay, {}}, std::nullopt, std::nullopt},
        {{Qt::Key_M, Qt::ControlModifier | Qt::AltModifier}, std::nullopt, std::nullopt},
    };
    for (const auto &row : cases) {
        presses.clear();
        EXPECT_EQ(keys.press(row.combination), row.handling) << row.combination.key;
        EXPECT_EQ(presses, row.press ? QList<Press>{*row.press} : QList<Press>{}) << row.combination.key;
    }
}

TEST(MediaKeyMonitor, DeclinesEverythingUntilAHandlerIsSet)
{
    FakeKeyCapture keys;
    MediaKeyMonitor monitor(keys);
    ASSERT_TRUE(monitor.start());
    EXPECT_EQ(keys.press({Qt::Key_VolumeUp, {}}), KeyHandling::Declined);
}

TEST(MediaKeyMonitor, TakesAllKeysOrNone)
{
    FakeKeyCapture keys;
    // Another program holds one key with some modifier.
    keys.heldElsewhere = {{Qt::Key_MonBrightnessDown, Qt::ShiftModifier}};
    {
        MediaKeyMonitor monitor(keys);
        EXPECT_FALSE(monitor.start());
        EXPECT_FALSE(monitor.isStarted());
        EXPECT_EQ(keys.grabCount(), 0);

        keys.heldElsewhere.clear();
        EXPECT_TRUE(monitor.start());
        EXPECT_TRUE(monitor.start()) << "already started";
        EXPECT_EQ(keys.grabCount(), 5);
    }
    EXPECT_EQ(keys.grabCount(), 0) << "a monitor gives its keys back when it goes";
}

} // namespace
