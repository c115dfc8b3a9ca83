#include "Alerts/BannerViews.h"
#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Rendering.h"
#include "Shared/SystemColors.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr double notchHeight = 32;
const QSizeF bannerSize(460, 120);

class BannerViewsUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene.addItem(content);
        content->setSize(bannerSize);
    }

    NotchBanner banner(const QString &title, const QString &body = {})
    {
        NotchBanner made;
        made.title = title;
        made.body = body;
        made.color = SystemColors::green();
        made.duration = 6;
        return made;
    }

    void installApplication(const QString &bundleIdentifier, const QImage &icon)
    {
        const QString url = QStringLiteral("/usr/share/applications/%1.desktop").arg(bundleIdentifier);
        platform.workspace.installed.insert(bundleIdentifier, {url, bundleIdentifier});
        platform.workspace.icons.insert(url, icon);
    }

    QImage render() { return Rendering::renderOnBlack(scene, QRectF(QPointF(), bannerSize)); }

    QImage renderIcon()
    {
        return render().copy(content->layout()->icon.toAlignedRect());
    }

    FakePlatform platform;
    AppModel app{platform.services()};
    QGraphicsScene scene;
    BannerContent *content = new BannerContent(app, notchHeight);
};

QImage solidImage(const QColor &color)
{
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

QRect grown(const QRectF &rect)
{
    return rect.toAlignedRect().adjusted(-1, -1, 1, 1);
}

TEST_F(BannerViewsUi, DrawsNothingWithoutABanner)
{
    EXPECT_FALSE(content->layout());
    EXPECT_TRUE(Rendering::inkBounds(render(), render().rect()).isEmpty());
}

TEST_F(BannerViewsUi, LaysOutIconTextAndCloseButtonBelowTheNotch)
{
    NotchBanner shown = banner(QStringLiteral("Build concluído"), QStringLiteral("Todos os testes passaram"));
    shown.symbol = QStringLiteral("checkmark.circle.fill");
    app.banners.show(shown);

    const auto layout = content->layout();
    ASSERT_TRUE(layout);
    EXPECT_DOUBLE_EQ(layout->icon.left(), 28);
    EXPECT_EQ(layout->icon.size(), QSizeF(32, 32));
    EXPECT_GE(layout->icon.top(), notchHeight + 4);
    EXPECT_DOUBLE_EQ(layout->title.left(), 28 + 32 + 11);
    EXPECT_GT(layout->body.top(), layout->title.top());
    EXPECT_EQ(layout->closeButton, QRectF(bannerSize.width() - 26 - 18, notchHeight + 8, 18, 18));

    const QImage image = render();
    // The badge: the banner's colour at 0.22 around the symbol.
    const QColor badge = image.pixelColor(int(layout->icon.left()) + 4, int(layout->icon.center().y()));
    EXPECT_NEAR(badge.green(), 209 * 0.22, 3);
    EXPECT_NEAR(badge.red(), 48 * 0.22, 3);
    // The close button's faint circle (white at 0.08), left of its cross.
    const QColor closeCircle = image.pixelColor(int(layout->closeButton.left()) + 3, int(layout->closeButton.center().y()));
    EXPECT_NEAR(closeCircle.red(), 20, 3);

    // Nothing is drawn over the notch, and every drawn pixel belongs to a part.
    EXPECT_TRUE(Rendering::inkBounds(image, QRect(0, 0, int(bannerSize.width()), int(notchHeight + 4))).isEmpty());
    const QRect title = Rendering::inkBounds(image, QRect(int(layout->title.left()), 0, int(layout->closeButton.left() - layout->title.left()),
                                                          int(layout->title.bottom())));
    EXPECT_FALSE(title.isEmpty());
    EXPECT_TRUE(grown(layout->title).contains(title));
    const QRect body = Rendering::inkBounds(image, QRect(int(layout->title.left()), int(layout->title.bottom()) + 1,
                                                         int(layout->closeButton.left() - layout->title.left()), 200));
    EXPECT_FALSE(body.isEmpty());
    EXPECT_TRUE(grown(layout->body).contains(body));
    const QRect all = Rendering::inkBounds(image, image.rect());
    EXPECT_TRUE(grown(layout->icon | layout->title | layout->body | layout->closeButton).contains(all));
}

TEST_F(BannerViewsUi, EmptyBodyCentresTheTitleOnTheIcon)
{
    app.banners.show(banner(QStringLiteral("Só o título")));
    const auto layout = content->layout();
    ASSERT_TRUE(layout);
    EXPECT_TRUE(layout->bodyLines.isEmpty());
    EXPECT_NEAR(layout->title.center().y(), layout->icon.center().y(), 0.5);

    const QImage image = render();
    const QRect title = Rendering::inkBounds(image, QRect(int(layout->title.left()), 0, 300, int(bannerSize.height())));
    ASSERT_FALSE(title.isEmpty());
    // The drawn letters sit around the icon's middle (descenders and accents
    // make them a little uneven).
    EXPECT_NEAR(title.center().y(), layout->icon.center().y(), 3);
}

TEST_F(BannerViewsUi, ApplicationIconUnlessASymbolIsGiven)
{
    installApplication(QStringLiteral("org.example.Editor"), solidImage(Qt::red));

    NotchBanner fromApplication = banner(QStringLiteral("Editor"), QStringLiteral("Arquivo salvo"));
    fromApplication.appBundleID = QStringLiteral("org.example.Editor");
    app.banners.show(fromApplication);
    ASSERT_TRUE(content->layout());
    EXPECT_EQ(content->layout()->icon.size(), QSizeF(34, 34));
    const QImage icon = renderIcon();
    EXPECT_EQ(icon.pixelColor(17, 17), QColor(Qt::red));
    EXPECT_EQ(icon.pixelColor(1, 1), QColor(Qt::red));

    // The explicit symbol wins: a badge, and no trace of the red icon.
    NotchBanner withSymbol = banner(QStringLiteral("Atenção"), QStringLiteral("Mão levantada"));
    withSymbol.appBundleID = QStringLiteral("org.example.Editor");
    withSymbol.symbol = QStringLiteral("hand.raised.fill");
    app.banners.dismiss();
    app.banners.show(withSymbol);
    EXPECT_EQ(content->layout()->icon.size(), QSizeF(32, 32));
    const QImage badge = renderIcon();
    for (int y = 0; y < badge.height(); ++y) {
        for (int x = 0; x < badge.width(); ++x)
            ASSERT_NE(badge.pixelColor(x, y), QColor(Qt::red)) << x << "," << y;
    }
}

TEST_F(BannerViewsUi, UninstalledApplicationGetsTheBellBadge)
{
    NotchBanner bell = banner(QStringLiteral("Lembrete"), QStringLiteral("Sem símbolo"));
    bell.symbol = QStringLiteral("bell.fill");
    app.banners.show(bell);
    const QImage expected = renderIcon();

    NotchBanner missing = banner(QStringLiteral("Lembrete"), QStringLiteral("De um app ausente"));
    missing.appBundleID = QStringLiteral("org.example.NotInstalled");
    app.banners.dismiss();
    app.banners.show(missing);
    EXPECT_EQ(content->layout()->icon.size(), QSizeF(32, 32));
    EXPECT_EQ(renderIcon(), expected);

    NotchBanner hand = banner(QStringLiteral("Lembrete"), QStringLiteral("Outro símbolo"));
    hand.symbol = QStringLiteral("hand.raised.fill");
    app.banners.dismiss();
    app.banners.show(hand);
    EXPECT_NE(renderIcon(), expected);
}

TEST_F(BannerViewsUi, IconsAreLookedUpOncePerApplication)
{
    installApplication(QStringLiteral("org.example.Cached"), solidImage(Qt::blue));
    // An installed application without an icon gets the badge; the miss is
    // asked again next time.
    installApplication(QStringLiteral("org.example.Iconless"), QImage());

    for (const QString &title : {QStringLiteral("Um"), QStringLiteral("Dois")}) {
        for (const QString &application : {QStringLiteral("org.example.Cached"), QStringLiteral("org.example.Iconless")}) {
            NotchBanner shown = banner(title);
            shown.appBundleID = application;
            app.banners.dismiss();
            app.banners.show(shown);
            EXPECT_EQ(content->layout()->icon.width(), application.endsWith(u"Cached") ? 34 : 32);
        }
    }
    EXPECT_EQ(platform.workspace.iconRequests.count(QStringLiteral("/usr/share/applications/org.example.Cached.desktop")), 1);
    EXPECT_EQ(platform.workspace.iconRequests.count(QStringLiteral("/usr/share/applications/org.example.Iconless.desktop")), 2);
}

TEST_F(BannerViewsUi, LongBodyWrapsToTwoLinesThenEllipsis)
{
    app.banners.show(banner(QStringLiteral("Mensagem"), QStringLiteral("Curta")));
    EXPECT_EQ(content->layout()->bodyLines, QStringList{QStringLiteral("Curta")});

    const QString longBody = QStringLiteral("Esta mensagem é longa demais para caber em duas linhas do banner, então ela quebra "
                                            "uma vez, continua na segunda linha e termina com reticências no fim da segunda linha.");
    app.banners.show(banner(QStringLiteral("Mensagem"), longBody));
    const auto layout = content->layout();
    ASSERT_EQ(layout->bodyLines.size(), 2);
    EXPECT_TRUE(longBody.startsWith(layout->bodyLines.first()));
    EXPECT_TRUE(layout->bodyLines.last().endsWith(QChar(0x2026)));
    EXPECT_GT(layout->body.height(), layout->title.height());
}

class BannerViewsInteraction : public BannerViewsUi {
protected:
    void SetUp() override
    {
        BannerViewsUi::SetUp();
        view.setSceneRect(QRectF(QPointF(), bannerSize));
        view.setFrameShape(QFrame::NoFrame);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.resize(bannerSize.toSize());
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

        NotchBanner clickable = banner(QStringLiteral("Clique"), QStringLiteral("Um clique abre"));
        clickable.action = [this] { ++actions; };
        app.banners.show(clickable);
    }

    QPoint at(const QPointF &scenePoint) { return view.mapFromScene(scenePoint); }

    QGraphicsView view{&scene};
    int actions = 0;
};

TEST_F(BannerViewsInteraction, ClickAnywhereActivates)
{
    // Far from the text, inside the content's area.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at(QPointF(bannerSize.width() - 10, bannerSize.height() - 10)));
    EXPECT_EQ(actions, 1);
    EXPECT_FALSE(app.banners.current());
}

TEST_F(BannerViewsInteraction, CloseButtonDismissesWithoutActivating)
{
    const QRectF close = content->layout()->closeButton;
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at(close.center()));
    EXPECT_EQ(actions, 0);
    EXPECT_FALSE(app.banners.current());
    EXPECT_TRUE(app.banners.queue().isEmpty());
}

TEST_F(BannerViewsInteraction, CloseButtonBrightensWhileHovered)
{
    const QRectF close = content->layout()->closeButton;
    const QPoint circle(int(close.left()) + 3, int(close.center().y()));
    const int resting = render().pixelColor(circle).red();

    QTest::mouseMove(view.viewport(), at(close.center()));
    const auto buttons = content->childItems();
    const auto button = std::find_if(buttons.begin(), buttons.end(), [](QGraphicsItem *item) { return dynamic_cast<CloseButton *>(item); });
    ASSERT_NE(button, buttons.end());
    EXPECT_TRUE(static_cast<CloseButton *>(*button)->isHovering());
    EXPECT_NEAR(render().pixelColor(circle).red(), 41, 3);
    EXPECT_GT(render().pixelColor(circle).red(), resting);

    QTest::mouseMove(view.viewport(), at(QPointF(40, 100)));
    EXPECT_FALSE(static_cast<CloseButton *>(*button)->isHovering());
    EXPECT_EQ(render().pixelColor(circle).red(), resting);
}

} // namespace
