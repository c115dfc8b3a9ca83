#include "Platform/Fake/FakeWorkspace.h"
#include "QtPrinters.h"
#include "Settings/ActionRow.h"
#include "Settings/CommandExample.h"
#include "Support/Scheduler.h"

#include <QLabel>
#include <QProperty>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

TEST(ActionRow, StatusAndButtonFollowTheStateTheyShow)
{
    QProperty<bool> installed{false};
    int runs = 0;
    ActionRow row(
        [&installed]() -> ActionRowContent {
            if (installed.value())
                return {QStringLiteral("Comando quib"), QStringLiteral("Instalado em ~/.local/bin"), QStringLiteral("Remover")};
            return {QStringLiteral("Comando quib"), std::nullopt, QStringLiteral("Instalar")};
        },
        [&runs] { ++runs; });
    row.resize(400, row.sizeHint().height());
    row.show();
    QCoreApplication::processEvents();

    EXPECT_GE(row.height(), 48) << "40 points and 4 above and below";
    EXPECT_EQ(row.button()->text(), QStringLiteral("Instalar"));
    EXPECT_FALSE(row.status()->isVisible());

    installed = true;
    QCoreApplication::processEvents();
    EXPECT_EQ(row.button()->text(), QStringLiteral("Remover"));
    EXPECT_EQ(row.status()->text(), QStringLiteral("Instalado em ~/.local/bin"));
    EXPECT_TRUE(row.status()->isVisible());
    EXPECT_EQ(row.status()->font().pixelSize(), 11);
    // The button stays at the trailing edge, 12 points in.
    EXPECT_EQ(row.button()->geometry().right() + 1, row.width() - 12);

    QTest::mouseClick(row.button(), Qt::LeftButton);
    EXPECT_EQ(runs, 1);
}

namespace {

class CommandExampleTest : public ::testing::Test {
protected:
    std::unique_ptr<CommandExample> make(const QString &command, int width = 400)
    {
        auto example = std::make_unique<CommandExample>(command, workspace, scheduler);
        example->resize(width, example->sizeHint().height());
        example->show();
        QCoreApplication::processEvents();
        return example;
    }

    ManualScheduler scheduler;
    FakeWorkspace workspace;
};

} // namespace

TEST_F(CommandExampleTest, CopyingShowsTheCheckMarkFor1Point2Seconds)
{
    auto example = make(QStringLiteral("quib notify \"Build terminou\""));
    EXPECT_EQ(example->copyButton()->toolTip(), QStringLiteral("Copiar"));
    const qint64 copyIcon = example->copyButton()->icon().cacheKey();

    QTest::mouseClick(example->copyButton(), Qt::LeftButton);
    EXPECT_EQ(workspace.clipboard, QStringLiteral("quib notify \"Build terminou\""));
    EXPECT_TRUE(example->isCopied());
    EXPECT_NE(example->copyButton()->icon().cacheKey(), copyIcon) << "the check mark";
    scheduler.advance(1.19);
    EXPECT_TRUE(example->isCopied());
    scheduler.advance(0.01);
    EXPECT_FALSE(example->isCopied());
}

TEST_F(CommandExampleTest, EachCopyKeepsItsOwnReturnSoTheFirstEndsASecondCopy)
{
    auto example = make(QStringLiteral("npm test; quib notify \"Testes acabaram\""));
    example->copy();
    scheduler.advance(1.0);
    workspace.clipboard.reset();
    example->copy();
    EXPECT_EQ(workspace.clipboard, QStringLiteral("npm test; quib notify \"Testes acabaram\""));
    scheduler.advance(0.19);
    EXPECT_TRUE(example->isCopied());
    scheduler.advance(0.01);
    EXPECT_FALSE(example->isCopied()) << "0.2 s after the second copy";
    scheduler.advance(1.0);
    EXPECT_FALSE(example->isCopied());
    EXPECT_EQ(scheduler.pendingCount(), 0) << "each return ran once and is gone";
}

TEST_F(CommandExampleTest, ARowThatGoesTakesItsPendingReturnWithIt)
{
    const int before = scheduler.pendingCount();
    auto example = make(QStringLiteral("quib notify x"));
    example->copy();
    example->copy();
    EXPECT_EQ(scheduler.pendingCount(), before + 2);
    example.reset();
    EXPECT_EQ(scheduler.pendingCount(), before);
}

TEST_F(CommandExampleTest, ALongCommandIsCutAtItsEndAndTheButtonStaysVisible)
{
    const QString command = QStringLiteral("quib notify --title Deploy --body \"No ar\" --symbol checkmark.circle.fill --color green");
    auto example = make(command, 220);
    EXPECT_TRUE(example->shownText().endsWith(QChar(0x2026))) << example->shownText().toStdString();
    EXPECT_TRUE(command.startsWith(example->shownText().chopped(1)));
    EXPECT_EQ(example->width(), 220);
    const QRect button = example->copyButton()->geometry();
    EXPECT_TRUE(example->copyButton()->isVisible());
    EXPECT_GT(button.width(), 0);
    EXPECT_EQ(button.right() + 1, 220 - 9) << "9 points from the right edge";

    // Wide enough, the whole line shows.
    example->resize(900, example->height());
    QCoreApplication::processEvents();
    EXPECT_EQ(example->shownText(), command);
}
