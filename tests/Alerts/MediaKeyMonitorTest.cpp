#include "Alerts/MediaKeyMonitor.h"
#include "Platform/Fake/FakeKeyCapture.h"

#include <gtest/gtest.h>

namespace {

struct Press {
    MediaKey key;
    Qt::KeyboardModifiers modifiers;
    KeyHandling handling;
    bool operator==(const Press &) const = default;
};

TEST(MediaKeyMonitor, DecodesTheFiveKeysWithTheirModifiers)
{
    FakeKeyCapture keys;
    MediaKeyMonitor monitor(keys);
    QList<Press> presses;
    monitor.handler = [&](MediaKey key, Qt::KeyboardModifiers modifiers, KeyHandling handling) { presses.append({key, modifiers, handling}); };
    ASSERT_TRUE(monitor.start(MediaKeyGroup::volume));
    ASSERT_TRUE(monitor.start(MediaKeyGroup::brightness));
    monitor.setTaking(MediaKeyGroup::volume, true);

    const auto handled = KeyHandling::Handled;
    const auto declined = KeyHandling::Declined;
    const struct {
        KeyCombination combination;
        std::optional<KeyHandling> handling;
        std::optional<Press> press;
    } cases[] = {
        {{Qt::Key_VolumeUp, {}}, handled, Press{MediaKey::volumeUp, {}, handled}},
        {{Qt::Key_VolumeDown, Qt::AltModifier | Qt::ShiftModifier}, handled, Press{MediaKey::volumeDown, Qt::AltModifier | Qt::ShiftModifier, handled}},
        {{Qt::Key_VolumeMute, {}}, handled, Press{MediaKey::mute, {}, handled}},
        // A group not taken: the press goes on, and the handler hears of it.
        {{Qt::Key_MonBrightnessUp, Qt::ControlModifier}, declined, Press{MediaKey::brightnessUp, Qt::ControlModifier, declined}},
        {{Qt::Key_MonBrightnessDown, {}}, declined, Press{MediaKey::brightnessDown, {}, declined}},
        // Not a key of interest: never held, the handler is not called.
        {{Qt::Key_MediaPlay, {}}, std::nullopt, std::nullopt},
        {{Qt::Key_M, Qt::ControlModifier | Qt::AltModifier}, std::nullopt, std::nullopt},
    };
    for (const auto &row : cases) {
        presses.clear();
        EXPECT_EQ(keys.press(row.combination), row.handling) << row.combination.key;
        EXPECT_EQ(presses, row.press ? QList<Press>{*row.press} : QList<Press>{}) << row.combination.key;
    }
}

TEST(MediaKeyMonitor, DeclinesEverythingUntilToldToTake)
{
    FakeKeyCapture keys;
    MediaKeyMonitor monitor(keys);
    ASSERT_TRUE(monitor.start(MediaKeyGroup::volume));
    EXPECT_EQ(keys.press({Qt::Key_VolumeUp, {}}), KeyHandling::Declined);
    monitor.setTaking(MediaKeyGroup::volume, true);
    EXPECT_EQ(keys.press({Qt::Key_VolumeUp, {}}), KeyHandling::Handled);
    monitor.setTaking(MediaKeyGroup::volume, false);
    EXPECT_EQ(keys.press({Qt::Key_VolumeUp, {}}), KeyHandling::Declined);
}

TEST(MediaKeyMonitor, TakesEachGroupWholeOrNotAtAll)
{
    FakeKeyCapture keys;
    // Another program holds one brightness key with some modifier.
    keys.heldElsewhere = {{Qt::Key_MonBrightnessDown, Qt::ShiftModifier}};
    {
        MediaKeyMonitor monitor(keys);
        EXPECT_FALSE(monitor.start(MediaKeyGroup::brightness));
        EXPECT_FALSE(monitor.isStarted(MediaKeyGroup::brightness));
        EXPECT_EQ(keys.grabCount(), 0);
        EXPECT_TRUE(monitor.start(MediaKeyGroup::volume));
        EXPECT_EQ(keys.grabCount(), 3);

        keys.heldElsewhere.clear();
        EXPECT_TRUE(monitor.start(MediaKeyGroup::brightness));
        EXPECT_TRUE(monitor.start(MediaKeyGroup::brightness)) << "already started";
        EXPECT_EQ(keys.grabCount(), 5);

        monitor.stop(MediaKeyGroup::volume);
        EXPECT_FALSE(monitor.isStarted(MediaKeyGroup::volume));
        EXPECT_EQ(keys.press({Qt::Key_VolumeMute, {}}), std::nullopt);
        EXPECT_EQ(keys.grabCount(), 2);
    }
    EXPECT_EQ(keys.grabCount(), 0) << "a monitor gives its keys back when it goes";
}

} // namespace
