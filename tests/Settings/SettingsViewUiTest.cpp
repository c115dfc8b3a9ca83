#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"
#include "Settings/SettingsPage.h"
#include "Settings/SettingsRouter.h"
#include "Settings/SettingsStyle.h"
#include "Settings/SettingsView.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class SettingsViewTest : public ::testing::Test {
protected:
    SettingsViewTest() { view.show(); }

    // The title in the pinned header of the page shown.
    QString headerTitle() const
    {
        const auto *header = view.currentPage()->findChild<QWidget *>(QStringLiteral("settingsPageHeader"));
        return header ? header->findChild<QLabel *>()->text() : QString();
    }

    FakePlatform platform;
    AppModel model{platform.services()};
    SettingsRouter router;
    SettingsView view{router, model};
};

const std::vector<SettingsPageID> sidebarOrder{SettingsPageID::general,   SettingsPageID::notifications, SettingsPageID::messages,
                                               SettingsPageID::battery,   SettingsPageID::connectivity,  SettingsPageID::focus,
                                               SettingsPageID::display,   SettingsPageID::sound,         SettingsPageID::nowPlaying,
                                               SettingsPageID::calendar,  SettingsPageID::timers,        SettingsPageID::lockScreen,
                                               SettingsPageID::about};

} // namespace

TEST(SettingsRouter, StartsOnGeneralAndNotifiesOnlyOnChange)
{
    SettingsRouter router;
    EXPECT_EQ(router.page(), SettingsPageID::general);
    int notified = 0;
    const QPropertyNotifier notifier = router.bindablePage().addNotifier([&] { ++notified; });
    router.setPage(SettingsPageID::general);
    EXPECT_EQ(notified, 0);
    router.setPage(SettingsPageID::sound);
    router.setPage(SettingsPageID::sound);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(router.page(), SettingsPageID::sound);
}

TEST_F(SettingsViewTest, FrameSidebarSeparatorAndDetail)
{
    EXPECT_EQ(view.size(), QSize(650, 712));
    ASSERT_FALSE(view.sidebarItems().empty());
    QWidget *sidebar = view.sidebarItems().front()->parentWidget();
    EXPECT_EQ(sidebar->geometry(), QRect(0, 0, 220, 712));
    // Items fill the sidebar but for 10 points on each side; the first lies
    // under 46 points left for the title bar.
    EXPECT_EQ(view.sidebarItems().front()->geometry(), QRect(10, 46, 200, 32));
    EXPECT_EQ(view.currentPage()->geometry().translated(view.currentPage()->parentWidget()->pos()), QRect(221, 0, 429, 712));

    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    view.render(&image);
    EXPECT_EQ(image.pixel(5, 700), SettingsStyle::sidebarBackground().rgb());
    EXPECT_EQ(image.pixel(400, 5), SettingsStyle::detailBackground().rgb()) << "the page header";
    // Black at 40 % over the window's background.
    EXPECT_LT(qGray(image.pixel(220, 700)), qGray(image.pixel(5, 700)));
}

TEST_F(SettingsViewTest, SidebarListsEveryPageOnceInOrderUnderItsHeader)
{
    std::vector<QString> titles;
    for (QAbstractButton *item : view.sidebarItems()) {
        titles.push_back(item->text());
        EXPECT_EQ(item->accessibleName(), item->text());
    }
    std::vector<QString> expected;
    for (SettingsPageID page : sidebarOrder)
        expected.push_back(SettingsPages::title(page));
    EXPECT_EQ(titles, expected);

    const auto &headers = view.sidebarHeaders();
    ASSERT_EQ(headers.size(), 3u);
    const auto top = [](const QWidget *widget) { return widget->geometry().top(); };
    const auto &items = view.sidebarItems();
    // "Notificações" after Geral, "Atividades" after Som, "Quib" before Sobre.
    EXPECT_EQ(headers[0]->text(), QStringLiteral("Notificações"));
    EXPECT_GT(top(headers[0]), top(items[0]));
    EXPECT_LT(top(headers[0]), top(items[1]));
    EXPECT_EQ(headers[1]->text(), QStringLiteral("Atividades"));
    EXPECT_GT(top(headers[1]), top(items[7]));
    EXPECT_LT(top(headers[1]), top(items[8]));
    EXPECT_EQ(headers[2]->text(), QStringLiteral("Quib"));
    EXPECT_GT(top(headers[2]), top(items[11]));
    EXPECT_LT(top(headers[2]), top(items[12]));
    EXPECT_EQ(headers[0]->contentsMargins(), QMargins(8, 16, 0, 4));
}

TEST_F(SettingsViewTest, ClickingEachItemShowsItsPageAfresh)
{
    int notified = 0;
    const QPropertyNotifier notifier = router.bindablePage().addNotifier([&] { ++notified; });
    EXPECT_EQ(headerTitle(), QStringLiteral("Geral"));
    int expected = 0;
    for (std::size_t i = 0; i < sidebarOrder.size(); ++i) {
        SCOPED_TRACE(rawValue(sidebarOrder[i]).toStdString());
        const QPointer<SettingsPage> before = view.currentPage();
        QTest::mouseClick(view.sidebarItems()[i], Qt::LeftButton, {}, QPoint(190, 16));
        EXPECT_EQ(router.page(), sidebarOrder[i]);
        EXPECT_EQ(view.currentPage()->page(), sidebarOrder[i]);
        EXPECT_EQ(headerTitle(), SettingsPages::title(sidebarOrder[i]));
        if (i > 0) {
            ++expected;
            EXPECT_NE(view.currentPage(), before.data()) << "a new page view";
        }
        EXPECT_EQ(notified, expected);
    }
}

TEST_F(SettingsViewTest, ClickingTheCurrentItemChangesNothing)
{
    router.setPage(SettingsPageID::calendar);
    SettingsPage *shown = view.currentPage();
    int notified = 0;
    const QPropertyNotifier notifier = router.bindablePage().addNotifier([&] { ++notified; });
    QTest::mouseClick(view.sidebarItems()[9], Qt::LeftButton);
    EXPECT_EQ(notified, 0);
    EXPECT_EQ(view.currentPage(), shown);
}

TEST_F(SettingsViewTest, ThePageFollowsTheRouterAndTheHighlightMoves)
{
    const auto highlight = [&](std::size_t index) {
        QAbstractButton *item = view.sidebarItems()[index];
        QImage image(item->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(SettingsStyle::sidebarBackground());
        item->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        // The empty end of the row: the highlight or the sidebar.
        return qGray(image.pixel(item->width() - 3, item->height() / 2));
    };
    const int plain = qGray(SettingsStyle::sidebarBackground().rgb());
    EXPECT_GT(highlight(0), plain);
    router.setPage(SettingsPageID::lockScreen);
    EXPECT_EQ(view.currentPage()->page(), SettingsPageID::lockScreen);
    EXPECT_EQ(highlight(0), plain);
    EXPECT_GT(highlight(11), plain);
}
