#include "App/AppModel.h"
#include "Notch/ClaudeUsageSection.h"
#include "Platform/Fake/FakePlatform.h"
#include "SceneDriver.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr double width = 200;

class ClaudeUsageSectionUi : public ::testing::Test {
protected:
    ClaudeUsageSectionUi()
    {
        // The usage model keeps its snapshot under the data folder.
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        app = std::make_unique<AppModel>(platform.services());
    }
    ~ClaudeUsageSectionUi() override { qunsetenv("XDG_DATA_HOME"); }

    ClaudeUsage &usage() { return app->claudeUsage; }
    QDateTime now() const { return platform.scheduler.now(); }

    QTemporaryDir data;
    FakePlatform platform;
    std::unique_ptr<AppModel> app;
    SceneDriver driver;
};

QColor pixel(const QImage &image, const QPointF &point)
{
    return image.pixelColor(point.toPoint());
}

TEST_F(ClaudeUsageSectionUi, RowsDrawTheirBarsInTheThresholdColours)
{
    usage().bindableFiveHour().setValue(ClaudeUsageWindow{85, now().addSecs(125 * 60)});
    usage().bindableSevenDay().setValue(ClaudeUsageWindow{30, now().addSecs(3 * 86400)});
    auto *card = new ClaudeUsageSection(*app);
    driver.scene.addItem(card);
    card->setWidth(width);

    const auto layout = card->layout();
    ASSERT_EQ(layout.rows.size(), 2);
    EXPECT_EQ(layout.trailingText, QStringLiteral("reinicia em 2h05"));
    const QImage image = driver.render(QRectF(0, 0, width, card->height()));
    // Inside each progress capsule: its colour; past it, the faint track.
    const auto &session = layout.rows[0];
    const QColor orange = pixel(image, QPointF(session.progress.left() + 10, session.bar.center().y()));
    EXPECT_NEAR(orange.redF(), 1.0, 0.02);
    EXPECT_NEAR(orange.greenF(), 0.55, 0.02);
    const QColor track = pixel(image, QPointF(session.bar.right() - 4, session.bar.center().y()));
    EXPECT_NEAR(track.redF(), 0.12, 0.02);
    const auto &week = layout.rows[1];
    const QColor green = pixel(image, QPointF(week.progress.right() - 4, week.bar.center().y()));
    EXPECT_NEAR(green.greenF(), 0.82, 0.02);
    EXPECT_NEAR(green.redF(), 0.3, 0.02);
    // The percentages are drawn right-aligned in their 40-point frames.
    const QRect percent = Rendering::inkBounds(image, session.percentRect.toAlignedRect());
    ASSERT_FALSE(percent.isEmpty());
    EXPECT_GE(percent.right(), int(width) - 3);
    // Nothing drawn below the last row.
    EXPECT_LE(Rendering::inkBounds(image, image.rect()).bottom(), int(std::ceil(week.labelRect.bottom())));
}

TEST_F(ClaudeUsageSectionUi, TheMinuteClockExpiresAPassedWindowWithoutNewData)
{
    usage().bindableFiveHour().setValue(ClaudeUsageWindow{64, now().addSecs(90)});
    usage().bindableSevenDay().setValue(ClaudeUsageWindow{20, std::nullopt});
    ClaudeUsageSection card(*app);
    card.setWidth(width);
    EXPECT_EQ(card.layout().trailingText, QStringLiteral("reinicia em 1min"));
    EXPECT_EQ(card.layout().rows[0].percentText, QStringLiteral("64%"));

    // A minute on, 30 seconds are left; nothing changes before the next
    // minute's reading, which finds the window reset.
    platform.scheduler.advance(ClaudeUsageSection::clockInterval);
    EXPECT_EQ(card.layout().trailingText, QStringLiteral("reinicia em 1min"));
    platform.scheduler.advance(40);
    EXPECT_EQ(card.layout().rows[0].percentText, QStringLiteral("64%"));
    platform.scheduler.advance(20);
    EXPECT_FALSE(card.layout().trailingText);
    EXPECT_EQ(card.layout().rows[0].percentText, QStringLiteral("0%"));
    EXPECT_DOUBLE_EQ(card.layout().rows[0].progress.width(), 5);
    EXPECT_EQ(card.layout().rows[1].percentText, QStringLiteral("20%"));
}

TEST_F(ClaudeUsageSectionUi, UsageChangesAnimateTheBar)
{
    usage().bindableSevenDay().setValue(ClaudeUsageWindow{10, std::nullopt});
    auto *card = new ClaudeUsageSection(*app);
    driver.scene.addItem(card);
    card->setWidth(width);
    const auto row = card->layout().rows[0];
    const auto inkRight = [&] {
        const QImage image = driver.render(QRectF(0, 0, width, card->height()));
        int right = 0;
        for (int x = int(row.bar.left()); x < int(row.bar.right()); ++x) {
            if (image.pixelColor(x, int(row.bar.center().y())).greenF() > 0.5)
                right = x;
        }
        return right;
    };
    const int before = inkRight();

    usage().bindableSevenDay().setValue(ClaudeUsageWindow{50, std::nullopt});
    platform.scheduler.advance(0.1);
    const int during = inkRight();
    platform.scheduler.advance(ClaudeUsageSection::usageAnimationDuration);
    const int after = inkRight();
    EXPECT_GT(during, before);
    EXPECT_LT(during, after);
    EXPECT_NEAR(after, row.bar.left() + row.bar.width() * 0.5, 2);
}

TEST_F(ClaudeUsageSectionUi, AClickAsksForTheLoginOnlyWhilePermissionIsNeeded)
{
    app->preferences.claudeUsageFromLogin.setValue(true);
    usage().setEnabled(true);
    usage().bindableSevenDay().setValue(ClaudeUsageWindow{20, std::nullopt});
    auto *card = new ClaudeUsageSection(*app);
    driver.scene.addItem(card);
    card->setWidth(width);
    driver.show(QRectF(0, 0, width, 80));
    const qsizetype readsBefore = platform.credentials.reads.size();

    usage().bindableStatus().setValue(ClaudeUsage::Status{ClaudeUsage::Status::Kind::ok, {}});
    driver.click(QPointF(100, 30));
    EXPECT_EQ(platform.credentials.reads.size(), readsBefore);

    usage().bindableStatus().setValue(ClaudeUsage::Status{ClaudeUsage::Status::Kind::needsPermission, {}});
    EXPECT_EQ(card->layout().trailingText, QStringLiteral("toque para atualizar"));
    driver.click(QPointF(100, 30));
    ASSERT_EQ(platform.credentials.reads.size(), readsBefore + 1);
    EXPECT_EQ(platform.credentials.reads.last(), Credentials::Interaction::allowed);
}

TEST_F(ClaudeUsageSectionUi, PlaceholderWrapsItsMessageAndAsksOnClick)
{
    app->preferences.claudeUsageFromLogin.setValue(true);
    usage().setEnabled(true);
    usage().bindableStatus().setValue(ClaudeUsage::Status{ClaudeUsage::Status::Kind::needsPermission, {}});
    auto *placeholder = new ClaudeUsageEmpty(*app);
    driver.scene.addItem(placeholder);
    placeholder->setWidth(150);
    driver.show(QRectF(0, 0, 150, 100));

    const auto layout = placeholder->layout();
    EXPECT_EQ(placeholder->message(), QStringLiteral("Toque aqui para permitir o acesso ao login do Claude Code"));
    EXPECT_GE(layout.messageLines.size(), 2) << "a long message wraps instead of being cut";
    EXPECT_EQ(layout.messageLines.join(QLatin1Char(' ')), placeholder->message());
    EXPECT_EQ(layout.messageColor, ClaudeUsageSection::claudeColor());
    const QImage image = driver.render(QRectF(0, 0, 150, 100));
    const QRect ink = Rendering::inkBounds(image, image.rect());
    EXPECT_LE(ink.bottom(), int(std::ceil(layout.height)));

    const qsizetype readsBefore = platform.credentials.reads.size();
    driver.click(layout.message.center());
    ASSERT_EQ(platform.credentials.reads.size(), readsBefore + 1);
    EXPECT_EQ(platform.credentials.reads.last(), Credentials::Interaction::allowed);

    // Another status changes the text and its colour.
    usage().bindableStatus().setValue(ClaudeUsage::Status{ClaudeUsage::Status::Kind::expired, {}});
    EXPECT_EQ(placeholder->message(), QStringLiteral("Login do Claude Code expirado"));
    EXPECT_EQ(placeholder->layout().messageColor, QColor::fromRgbF(1, 1, 1, 0.55f));
}

} // namespace
