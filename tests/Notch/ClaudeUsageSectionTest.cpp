#include "Notch/ClaudeUsageSection.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const QDateTime now(QDate(2026, 3, 2), QTime(9, 0));
constexpr double infinity = std::numeric_limits<double>::infinity();
const double notANumber = std::nan("");

QColor rgb(double red, double green, double blue)
{
    return QColor::fromRgbF(float(red), float(green), float(blue));
}

} // namespace

TEST(ClaudeUsageSectionTest, BarColourFollowsTheThresholds)
{
    struct Case {
        double used;
        QColor expected;
    };
    const QColor green = rgb(0.3, 0.82, 0.5), yellow = rgb(1.0, 0.82, 0.25), orange = rgb(1.0, 0.55, 0.2), red = rgb(1.0, 0.3, 0.27);
    const Case cases[] = {
        {0, green},       {59.9, green},  {60, yellow},   {79.99, yellow}, {80, orange},         {94.9, orange},
        {95, red},        {120, red},     {-5, green},    {infinity, red}, {-infinity, green},   {notANumber, green},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.used);
        EXPECT_EQ(ClaudeUsageSection::color(c.used), c.expected);
    }
    EXPECT_EQ(ClaudeUsageSection::claudeColor(), rgb(0.85, 0.47, 0.34));
}

TEST(ClaudeUsageSectionTest, ShortIntervalUntilAReset)
{
    struct Case {
        qint64 seconds;
        const char *expected;
    };
    const Case cases[] = {
        {0, "1min"},         {-600, "1min"},        {90, "1min"},          {45 * 60, "45min"},  {59 * 60 + 59, "59min"},
        {60 * 60, "1h"},     {61 * 60, "1h01"},     {120 * 60, "2h"},      {125 * 60, "2h05"},  {1439 * 60, "23h59"},
        {1440 * 60, "1d"},   {4620 * 60, "3d"},     {qint64(1e12), "11574074d"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(ClaudeUsageSection::shortInterval(now, now.addSecs(c.seconds)), QString::fromUtf8(c.expected));
    }
}

TEST(ClaudeUsageSectionTest, PercentTextAndBarShareStayBoundedForAnyValue)
{
    struct Case {
        double used;
        const char *text;
        double fraction;
    };
    const Case cases[] = {
        {0, "0%", 0},           {42.5, "43%", 0.425},     {42.4, "42%", 0.424},  {100, "100%", 1},
        {120, "120%", 1},       {-3, "0%", 0},            {notANumber, "0%", 0}, {infinity, "9999%", 1},
        {-infinity, "0%", 0},   {1e300, "9999%", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.used);
        EXPECT_EQ(ClaudeUsageSection::percentText(c.used), QString::fromUtf8(c.text));
        EXPECT_DOUBLE_EQ(ClaudeUsageSection::fraction(c.used), c.fraction);
    }
}

TEST(ClaudeUsageSectionTest, AWindowPastItsResetShowsAsUnused)
{
    const ClaudeUsageWindow window{73, now.addSecs(600)};
    EXPECT_EQ(ClaudeUsageSection::displayed(window, now), window);
    EXPECT_EQ(ClaudeUsageSection::displayed(window, now.addSecs(600)), (ClaudeUsageWindow{0, std::nullopt}));
    EXPECT_EQ(ClaudeUsageSection::displayed(ClaudeUsageWindow{73, std::nullopt}, now.addYears(5)), (ClaudeUsageWindow{73, std::nullopt}));
    EXPECT_EQ(ClaudeUsageSection::displayed(std::nullopt, now), std::nullopt);
}

TEST(ClaudeUsageSectionTest, LayoutOfHeaderAndRows)
{
    using Kind = ClaudeUsage::Status::Kind;
    const double width = 200;
    const ClaudeUsageWindow fiveHour{50, now.addSecs(125 * 60)};
    const ClaudeUsageWindow sevenDay{0, now.addSecs(3 * 86400)};

    const auto both = ClaudeUsageSection::layout(fiveHour, sevenDay, {Kind::ok, {}}, now, width);
    ASSERT_EQ(both.rows.size(), 2);
    EXPECT_EQ(both.trailingText, QStringLiteral("reinicia em 2h05"));
    EXPECT_DOUBLE_EQ(both.trailing.right(), width);
    EXPECT_EQ(both.rows[0].label, QStringLiteral("Sessão"));
    EXPECT_EQ(both.rows[1].label, QStringLiteral("Semana"));
    // Label 56, spacing 10, bar, spacing 10, percentage 40.
    EXPECT_EQ(both.rows[0].bar, QRectF(66, 24 + 6.5, width - 116, 5));
    EXPECT_DOUBLE_EQ(both.rows[0].progress.width(), (width - 116) * 0.5);
    EXPECT_EQ(both.rows[0].percentRect, QRectF(width - 40, 24, 40, 18));
    EXPECT_DOUBLE_EQ(both.rows[1].labelRect.top(), 24 + 18 + 2);
    // An unused window still shows a 5-point capsule.
    EXPECT_DOUBLE_EQ(both.rows[1].progress.width(), 5);
    EXPECT_DOUBLE_EQ(both.height, 24 + 18 + 2 + 18);

    // Only the seven-day window: one row, and its reset is never shown.
    const auto weekOnly = ClaudeUsageSection::layout(std::nullopt, sevenDay, {Kind::ok, {}}, now, width);
    ASSERT_EQ(weekOnly.rows.size(), 1);
    EXPECT_EQ(weekOnly.rows[0].label, QStringLiteral("Semana"));
    EXPECT_FALSE(weekOnly.trailingText);

    // A five-hour window past its reset: 0 %, a 5-point bar, no reset text;
    // the week is unaffected.
    const auto reset = ClaudeUsageSection::layout(fiveHour, sevenDay, {Kind::ok, {}}, now.addSecs(126 * 60), width);
    ASSERT_EQ(reset.rows.size(), 2);
    EXPECT_EQ(reset.rows[0].percentText, QStringLiteral("0%"));
    EXPECT_DOUBLE_EQ(reset.rows[0].progress.width(), 5);
    EXPECT_FALSE(reset.trailingText);
    EXPECT_EQ(reset.rows[1].window, sevenDay);

    // Asking for permission replaces the reset time.
    const auto permission = ClaudeUsageSection::layout(fiveHour, sevenDay, {Kind::needsPermission, {}}, now, width);
    EXPECT_EQ(permission.trailingText, QStringLiteral("toque para atualizar"));
    EXPECT_EQ(permission.trailingColor, ClaudeUsageSection::claudeColor());

    // A bar past 100 % fills the track.
    const auto over = ClaudeUsageSection::layout(ClaudeUsageWindow{120, std::nullopt}, std::nullopt, {Kind::ok, {}}, now, width);
    EXPECT_EQ(over.rows[0].progress, over.rows[0].bar);
    EXPECT_EQ(over.rows[0].percentText, QStringLiteral("120%"));
}

TEST(ClaudeUsageSectionTest, PlaceholderMessageByLoginSettingAndStatus)
{
    using Kind = ClaudeUsage::Status::Kind;
    struct Case {
        bool fromLogin;
        ClaudeUsage::Status status;
        const char *expected;
    };
    const Case cases[] = {
        {false, {Kind::needsPermission, {}}, "Conecte em Ajustes › Avisos para ver seus limites"},
        {false, {Kind::ok, {}}, "Conecte em Ajustes › Avisos para ver seus limites"},
        {true, {Kind::off, {}}, "Consultando os limites…"},
        {true, {Kind::loading, {}}, "Consultando os limites…"},
        {true, {Kind::ok, {}}, "Consultando os limites…"},
        {true, {Kind::noLogin, {}}, "Entre no Claude Code para ver seus limites"},
        {true, {Kind::expired, {}}, "Login do Claude Code expirado"},
        {true, {Kind::needsPermission, {}}, "Toque aqui para permitir o acesso ao login do Claude Code"},
        {true, ClaudeUsage::Status::failed(QStringLiteral("HTTP 500")), "Não deu para consultar agora"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(ClaudeUsageEmpty::message(c.fromLogin, c.status), QString::fromUtf8(c.expected));
    }
}
