#include "Platform/Fake/FakeUserDefaults.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const QString key = QStringLiteral("key");
const double infinity = std::numeric_limits<double>::infinity();

FakeUserDefaults holding(const QVariant &value)
{
    FakeUserDefaults defaults;
    if (value.isValid())
        defaults.values.insert(key, value);
    return defaults;
}

} // namespace

TEST(UserDefaults, BoolForKeyReadsBooleansNumbersAndWords)
{
    const QList<std::pair<QVariant, bool>> rows{
        {true, true},
        {false, false},
        {1.0, true},
        {-0.5, true},
        {0.0, false},
        {std::nan(""), false},
        {QStringLiteral("YES"), true},
        {QStringLiteral("true"), true},
        {QStringLiteral(" 1 "), true},
        {QStringLiteral("0"), false},
        {QStringLiteral("no"), false},
        {QStringLiteral("maybe"), false},
        {QVariantList{true}, false},
        {QVariantMap{{key, true}}, false},
        {QVariant(), false},
    };
    for (const auto &[stored, expected] : rows) {
        SCOPED_TRACE(::testing::PrintToString(stored));
        EXPECT_EQ(holding(stored).boolForKey(key), expected);
    }
}

TEST(UserDefaults, DoubleForKeyGivesZeroForWhatIsNoFiniteNumber)
{
    const QList<std::pair<QVariant, double>> rows{
        {2.5, 2.5},
        {-5.0, -5},
        {true, 1},
        {false, 0},
        {QStringLiteral(" 3.25 "), 3.25},
        {QStringLiteral("abc"), 0},
        {QStringLiteral("1e400"), 0},
        {infinity, 0},
        {std::nan(""), 0},
        {QVariantList{1.0}, 0},
        {QVariant(), 0},
    };
    for (const auto &[stored, expected] : rows) {
        SCOPED_TRACE(::testing::PrintToString(stored));
        EXPECT_EQ(holding(stored).doubleForKey(key), expected);
    }
}

TEST(UserDefaults, StringForKeyTakesStringsAndNumbers)
{
    const QList<std::pair<QVariant, std::optional<QString>>> rows{
        {QStringLiteral("glow"), QStringLiteral("glow")},
        {QString(), QString()},
        {100.0, QStringLiteral("100")},
        {2.5, QStringLiteral("2.5")},
        {true, std::nullopt},
        {QVariantList{QStringLiteral("glow")}, std::nullopt},
        {QVariant(), std::nullopt},
    };
    for (const auto &[stored, expected] : rows) {
        SCOPED_TRACE(::testing::PrintToString(stored));
        EXPECT_EQ(holding(stored).stringForKey(key), expected);
    }
}

TEST(UserDefaults, StringArrayForKeyNeedsAnArrayOfStrings)
{
    const QList<std::pair<QVariant, std::optional<QStringList>>> rows{
        {QVariantList{QStringLiteral("a"), QStringLiteral("a")}, QStringList({QStringLiteral("a"), QStringLiteral("a")})},
        {QVariantList(), QStringList()},
        {QVariantList{QStringLiteral("a"), 1.0}, std::nullopt},
        {QStringLiteral("a"), std::nullopt},
        {QVariant(), std::nullopt},
    };
    for (const auto &[stored, expected] : rows) {
        SCOPED_TRACE(::testing::PrintToString(stored));
        EXPECT_EQ(holding(stored).stringArrayForKey(key), expected);
    }
}

TEST(UserDefaults, RegisteredValuesAnswerOnlyForKeysWithoutAStoredValue)
{
    FakeUserDefaults defaults;
    defaults.registerDefaults({{QStringLiteral("flag"), true}, {QStringLiteral("width"), 100.0}, {QStringLiteral("style"), QStringLiteral("glow")}});
    defaults.registerDefaults({{QStringLiteral("width"), 120.0}});
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("flag")));
    EXPECT_EQ(defaults.doubleForKey(QStringLiteral("width")), 120) << "a later registration replaces the value";
    EXPECT_EQ(defaults.stringForKey(QStringLiteral("style")), QStringLiteral("glow"));
    EXPECT_FALSE(defaults.object(QStringLiteral("flag")).isValid()) << "registered values are never stored";
    EXPECT_TRUE(defaults.values.isEmpty());

    defaults.setObject(QStringLiteral("flag"), false);
    defaults.setObject(QStringLiteral("style"), 7.0);
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("flag")));
    EXPECT_EQ(defaults.stringForKey(QStringLiteral("style")), QStringLiteral("7"));
    defaults.removeObject(QStringLiteral("flag"));
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("flag")));
}
