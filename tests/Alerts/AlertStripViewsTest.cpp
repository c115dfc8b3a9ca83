#include "Alerts/AlertStripViews.h"
#include "Shared/Typography.h"

#include <gtest/gtest.h>

namespace {

constexpr double notchHeight = 32;
const QSizeF stripSize(385, notchHeight);

NotchAlert volumeAlert(double sideWidth, std::optional<QString> trailing)
{
    NotchAlert alert;
    alert.kind = AlertKind::volume;
    alert.symbol = QStringLiteral("speaker.wave.2.fill");
    alert.symbolColor = Qt::white;
    alert.level = 0.5;
    alert.barStyle = HUDStyle::accent;
    alert.trailing = std::move(trailing);
    alert.trailingColor = Qt::white;
    alert.sideWidth = sideWidth;
    return alert;
}

TEST(AlertCompactContent, BarWidthDependsOnTrailingText)
{
    const auto withNumber = AlertCompactContent::layout(volumeAlert(100, QStringLiteral("50")), stripSize, notchHeight);
    ASSERT_TRUE(withNumber.bar && withNumber.trailing);
    EXPECT_DOUBLE_EQ(withNumber.bar->width(), 54);
    EXPECT_DOUBLE_EQ(withNumber.bar->height(), 5);
    // The number keeps a minimum width, right-aligned at the padding, and the
    // bar ends one spacing before it.
    EXPECT_DOUBLE_EQ(withNumber.trailing->rect.right(), stripSize.width() - 12);
    EXPECT_GE(withNumber.trailing->rect.width(), 24);
    EXPECT_DOUBLE_EQ(withNumber.bar->right(), withNumber.trailing->rect.left() - 6);

    const auto withoutText = AlertCompactContent::layout(volumeAlert(92, std::nullopt), stripSize, notchHeight);
    ASSERT_TRUE(withoutText.bar);
    EXPECT_FALSE(withoutText.trailing);
    EXPECT_DOUBLE_EQ(withoutText.bar->width(), 78);
    EXPECT_DOUBLE_EQ(withoutText.bar->right(), stripSize.width() - 12);
    EXPECT_DOUBLE_EQ(withoutText.bar->center().y(), notchHeight / 2);
}

TEST(AlertCompactContent, LeftGroupHasSymbolColumnThenTitle)
{
    NotchAlert alert = volumeAlert(112, std::nullopt);
    alert.title = QStringLiteral("Carregando");
    const auto layout = AlertCompactContent::layout(alert, stripSize, notchHeight);
    // The 13-pixel symbol sits in the middle of an 18-wide column after the
    // 12-pixel padding; the title follows one spacing later.
    EXPECT_EQ(layout.symbol.rect, QRectF(14.5, 9.5, 13, 13));
    ASSERT_TRUE(layout.title);
    EXPECT_DOUBLE_EQ(layout.title->rect.left(), 36);
    EXPECT_DOUBLE_EQ(layout.title->rect.width(), 112 - 4 - 18 - 6);
    EXPECT_DOUBLE_EQ(layout.title->rect.center().y(), notchHeight / 2);
}

TEST(AlertCompactContent, AnOverlongTitleKeepsItsStateWord)
{
    NotchAlert alert = volumeAlert(124, std::nullopt);
    alert.title = QStringLiteral("Microfone do headset USB ligado");
    const auto layout = AlertCompactContent::layout(alert, stripSize, notchHeight);
    ASSERT_TRUE(layout.title);
    EXPECT_TRUE(layout.title->text.startsWith(QStringLiteral("Micro"))) << layout.title->text.toStdString();
    EXPECT_TRUE(layout.title->text.endsWith(QStringLiteral("\u2026 ligado"))) << layout.title->text.toStdString();
    EXPECT_LE(Typography::width(layout.title->text, layout.title->font), layout.title->rect.width());
}

TEST(AlertCompactContent, TrailingTextColour)
{
    // The mute strip: no level, level colours off → its own colour, no bar.
    NotchAlert mute = volumeAlert(100, QStringLiteral("Mudo"));
    mute.level.reset();
    mute.trailingColor = QColor(255, 82, 77);
    auto layout = AlertCompactContent::layout(mute, stripSize, notchHeight);
    EXPECT_FALSE(layout.bar);
    ASSERT_TRUE(layout.trailing);
    EXPECT_EQ(layout.trailing->color, mute.trailingColor);
    // No level: no minimum width, the text is as wide as it is.
    EXPECT_DOUBLE_EQ(layout.trailing->rect.right(), stripSize.width() - 12);

    // Level colours on without a level: the ramp's colour of 0, the base.
    mute.levelColors = true;
    mute.levelBase = LevelBase::blue;
    layout = AlertCompactContent::layout(mute, stripSize, notchHeight);
    EXPECT_EQ(layout.trailing->color, HUDBar::levelColor(0, LevelBase::blue));

    // Level colours on with a level: the ramp's colour of that level.
    NotchAlert loud = volumeAlert(100, QStringLiteral("94"));
    loud.level = 0.94;
    loud.levelColors = true;
    layout = AlertCompactContent::layout(loud, stripSize, notchHeight);
    EXPECT_EQ(layout.trailing->color, HUDBar::levelColor(0.94, LevelBase::white));
    EXPECT_TRUE(layout.barAppearance.levelColors);
}

} // namespace
