#include "Platform/Symbols.h"
#include "Settings/SettingsPage.h"
#include "Settings/SettingsStyle.h"
#include "Settings/SidebarIcon.h"
#include "Settings/TilePreviews.h"
#include "Shared/SystemColors.h"

#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QImage renderedOnBlack(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// A plain row of a given height.
QWidget *row(int height)
{
    auto *widget = new QWidget;
    widget->setFixedHeight(height);
    return widget;
}

TEST(SettingsCard, RowsTouchAndTheDividerStarts12PointsIn)
{
    SettingsCard card;
    QWidget *first = row(42);
    QWidget *second = row(42);
    card.addRow(first);
    QWidget *divider = card.addDivider();
    card.addRow(second);
    card.resize(300, card.sizeHint().height());
    card.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(divider->geometry(), QRect(0, 42, 300, 1));
    EXPECT_EQ(second->geometry().top(), 43);

    const QImage image = renderedOnBlack(card);
    const int line = 42;
    // Left of 12 points only the card's fill; from 12 to the right edge the
    // hairline lies over it.
    const int fill = qGray(image.pixel(6, line));
    EXPECT_GT(qGray(image.pixel(12, line)), fill + 5);
    EXPECT_GT(qGray(image.pixel(299 - 2, line)), fill + 5);
    EXPECT_EQ(qGray(image.pixel(11, line)), fill);
    EXPECT_EQ(qGray(image.pixel(150, line + 3)), fill) << "one point tall";
}

TEST(SettingsCard, CornersAndBorderStayInsideTheFrame)
{
    SettingsCard card;
    card.addRow(row(42));
    card.resize(200, 42);
    const QImage image = renderedOnBlack(card);
    // The 12-point corners leave the frame's corners empty.
    for (const QPoint corner : {QPoint(0, 0), QPoint(199, 0), QPoint(0, 41), QPoint(199, 41), QPoint(2, 2)})
        EXPECT_EQ(qGray(image.pixel(corner)), 0) << corner.x() << "," << corner.y();
    // The border is whole on the frame's outermost rows and columns: brighter
    // than the fill inside it.
    const int fill = qGray(image.pixel(100, 20));
    EXPECT_GT(fill, 0);
    for (const QPoint edge : {QPoint(100, 0), QPoint(100, 41), QPoint(0, 21), QPoint(199, 21)})
        EXPECT_GT(qGray(image.pixel(edge)), fill + 5) << edge.x() << "," << edge.y();
}

TEST(SettingsPage, PinnedHeaderOverAScrollingColumn)
{
    SettingsPage page(SettingsPageID::sound);
    page.addSectionLabel(QStringLiteral("Sons"));
    for (int i = 0; i < 12; ++i) {
        SettingsCard *card = page.addCard();
        card->addRow(row(42));
        page.addText(QStringLiteral("Texto explicativo"));
    }
    page.resize(650, 400);
    page.show();
    QCoreApplication::processEvents();

    auto *header = page.findChild<QWidget *>(QStringLiteral("settingsPageHeader"));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->geometry(), QRect(0, 0, 650, 52));
    const auto icon = header->findChild<SidebarIcon *>();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->size(), QSize(22, 22));
    EXPECT_EQ(icon->geometry().left(), 16);
    const auto title = header->findChild<QLabel *>();
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), QStringLiteral("Som"));
    EXPECT_EQ(title->font().pixelSize(), 15);
    EXPECT_EQ(title->font().weight(), QFont::Bold);
    EXPECT_EQ(title->geometry().left(), 16 + 22 + 9);

    // The column: 16 points in on both sides, 10 between children.
    QWidget *content = page.scrollArea()->widget();
    const auto cards = content->findChildren<SettingsCard *>();
    ASSERT_EQ(cards.size(), 12);
    EXPECT_EQ(cards[0]->geometry().left(), 16);
    EXPECT_EQ(cards[0]->geometry().right() + 1, content->width() - 16);
    const auto labels = content->findChildren<QLabel *>();
    ASSERT_FALSE(labels.isEmpty());
    EXPECT_EQ(labels[0]->geometry().top(), 4) << "4 points on top of the column";
    EXPECT_EQ(labels[0]->contentsMargins(), QMargins(6, 8, 0, 0));
    EXPECT_EQ(cards[0]->geometry().top(), labels[0]->geometry().bottom() + 1 + 10);

    // Scrolling moves the column under the header, which stays.
    QScrollBar *bar = page.scrollArea()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the column is taller than the page";
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    EXPECT_EQ(header->geometry(), QRect(0, 0, 650, 52));
    EXPECT_EQ(page.scrollArea()->geometry().top(), 52);
    const auto lastText = content->findChildren<QLabel *>().last();
    EXPECT_EQ(content->height() - (lastText->geometry().bottom() + 1), 22) << "22 points under the column";
}

TEST(CalendarDayIcon, MeasuresAtTheHeaderSize)
{
    const CalendarDayIcon::Geometry at22 = CalendarDayIcon::geometry(22);
    EXPECT_DOUBLE_EQ(at22.cornerRadius, 5.72);
    EXPECT_DOUBLE_EQ(at22.bandHeight, 5.72);
    EXPECT_DOUBLE_EQ(at22.digitSize, 11);
    EXPECT_DOUBLE_EQ(at22.digitOffset, 2.2);
    EXPECT_DOUBLE_EQ(CalendarDayIcon::geometry(20).digitSize, 10);
}

TEST(CalendarDayIcon, DayWithoutLeadingZero)
{
    EXPECT_EQ(CalendarDayIcon::dayText(QDate(2026, 3, 1)), QStringLiteral("1"));
    EXPECT_EQ(CalendarDayIcon::dayText(QDate(2026, 3, 9)), QStringLiteral("9"));
    EXPECT_EQ(CalendarDayIcon::dayText(QDate(2026, 12, 31)), QStringLiteral("31"));
}

TEST(CalendarDayIcon, RedBandOnAWhiteSheetWithRoundedCorners)
{
    QImage image(88, 88, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // Four times the header size, so each measure spans whole pixels.
    CalendarDayIcon::paint(painter, QRectF(0, 0, 88, 88), QDate(2026, 3, 1));
    painter.end();
    const QColor red = SystemColors::red();
    EXPECT_EQ(image.pixelColor(30, 10).rgb(), red.rgb()) << "band";
    EXPECT_EQ(image.pixelColor(30, 21).rgb(), red.rgb()) << "band down to 22.88";
    EXPECT_EQ(image.pixelColor(10, 24).rgb(), QColor(Qt::white).rgb()) << "sheet under the band";
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "rounded top corner, band clipped";
    EXPECT_EQ(image.pixelColor(87, 87).alpha(), 0) << "rounded bottom corner";
    // The digit is dark ink in the middle of the sheet, below its centre.
    int inkTop = -1, inkBottom = -1;
    for (int y = 24; y < 88; ++y) {
        for (int x = 20; x < 68; ++x) {
            if (qGray(image.pixel(x, y)) < 100) {
                inkTop = inkTop < 0 ? y : inkTop;
                inkBottom = y;
            }
        }
    }
    ASSERT_GE(inkTop, 0) << "the day is drawn";
    EXPECT_GT((inkTop + inkBottom) / 2.0, 44) << "moved down by a tenth of the size";
}

TEST(SidebarIcon, GreyPagesGetTheGradientLikeColouredOnes)
{
    for (const SettingsPageID page :
         {SettingsPageID::general, SettingsPageID::timers, SettingsPageID::lockScreen, SettingsPageID::about, SettingsPageID::sound}) {
        SCOPED_TRACE(qPrintable(rawValue(page)));
        QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        SidebarIcon::paint(painter, QRectF(0, 0, 100, 100), page);
        painter.end();
        // Left of the centred symbol: lighter at the top than at the bottom.
        const QColor top = image.pixelColor(12, 20);
        const QColor bottom = image.pixelColor(12, 80);
        EXPECT_GT(top.value(), bottom.value());
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "rounded corner";
        // The symbol: white ink in the middle.
        int white = 0;
        for (int y = 30; y < 70; ++y)
            for (int x = 30; x < 70; ++x)
                white += image.pixelColor(x, y).lightness() > 240;
        EXPECT_GT(white, 40);
    }
}

TEST(TilePreviews, DrawCentredInTheirBox)
{
    const QRectF box(0, 0, 120, 48);
    struct Case {
        const char *what;
        std::function<void(QPainter &)> paint;
        double minimumWidth, maximumWidth;
    };
    const Case cases[] = {
        {"symbol", [&](QPainter &p) { paintTileSymbol(p, box, QStringLiteral("circle.slash")); }, 12, 18},
        {"symbol with text", [&](QPainter &p) { paintTileText(p, box, QStringLiteral("sun.max.fill"), QStringLiteral("23°")); }, 30, 70},
        {"symbol with an empty text", [&](QPainter &p) { paintTileText(p, box, QStringLiteral("sun.max.fill"), QString()); }, 8, 15},
        {"play icon", [&](QPainter &p) { paintTilePlayIcon(p, box); }, 21, 23},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QImage image(box.size().toSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        c.paint(painter);
        painter.end();
        int left = image.width(), right = -1;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(image.pixel(x, y)) > 40) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        ASSERT_GE(right, 0) << "something is drawn";
        const double width = right - left + 1;
        EXPECT_GE(width, c.minimumWidth);
        EXPECT_LE(width, c.maximumWidth);
        EXPECT_NEAR((left + right + 1) / 2.0, 60, 2) << "centred";
    }
}

} // namespace
