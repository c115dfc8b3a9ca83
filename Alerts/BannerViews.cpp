#include "Alerts/BannerViews.h"

#include "App/AppModel.h"
#include "Platform/Symbols.h"
#include "Platform/Workspace.h"
#include "Shared/Typography.h"

#include <QFontMetricsF>
#include <QGraphicsSceneMouseEvent>
#include <QHash>
#include <QPainter>

#include <algorithm>

namespace {

QFont titleFont()
{
    return Typography::systemFont(13, QFont::DemiBold);
}

QFont bodyFont()
{
    return Typography::systemFont(12);
}

} // namespace

// The banner's icon: the application's icon, or a round badge with the
// banner's symbol ("bell.fill" when it has none). A symbol always wins over
// the application's icon.
class BannerIcon : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double applicationIconSide = 34;
    static constexpr double badgeSide = 32;
    static constexpr double badgeSymbolSize = 14;

    BannerIcon(Workspace &workspace, QGraphicsItem *parent)
        : QGraphicsObject(parent)
        , m_workspace(workspace)
    {
    }

    void setBanner(const NotchBanner &banner)
    {
        prepareGeometryChange();
        m_symbol = banner.symbol.value_or(QStringLiteral("bell.fill"));
        m_color = banner.color;
        m_image.reset();
        if (!banner.symbol && banner.appBundleID)
            m_image = icon(*banner.appBundleID, m_workspace);
        update();
    }

    QSizeF size() const
    {
        const double side = m_image ? applicationIconSide : badgeSide;
        return QSizeF(side, side);
    }

    // The icon of the application with that bundle identifier. Looked up
    // once and kept for the life of the process: the banner view lays out
    // again on every change. A miss is not kept (the application may be
    // installed later).
    static std::optional<QImage> icon(const QString &bundleIdentifier, Workspace &workspace)
    {
        static QHash<QString, QImage> cache;
        if (const auto it = cache.constFind(bundleIdentifier); it != cache.constEnd())
            return *it;
        const auto url = workspace.urlForApplication(bundleIdentifier);
        if (!url)
            return std::nullopt;
        const QImage image = workspace.iconForApplication(*url);
        // An entry without a usable icon gets the badge, like an unknown one.
        if (image.isNull())
            return std::nullopt;
        cache.insert(bundleIdentifier, image);
        return image;
    }

    QRectF boundingRect() const override { return QRectF(QPointF(), size()); }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        painter->save();
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->setRenderHint(QPainter::Antialiasing);
        if (m_image) {
            painter->drawImage(boundingRect(), *m_image);
        } else {
            QColor circle = m_color;
            circle.setAlphaF(0.22f);
            painter->setPen(Qt::NoPen);
            painter->setBrush(circle);
            painter->drawEllipse(boundingRect());
            const QPointF centre = boundingRect().center();
            const QRectF symbolBox(centre.x() - badgeSymbolSize / 2, centre.y() - badgeSymbolSize / 2, badgeSymbolSize, badgeSymbolSize);
            Symbols::draw(*painter, symbolBox, m_symbol, m_color);
        }
        painter->restore();
    }

private:
    Workspace &m_workspace;
    QString m_symbol;
    QColor m_color;
    std::optional<QImage> m_image;
};

CloseButton::CloseButton(std::function<void()> action, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_action(std::move(action))
{
    setAcceptHoverEvents(true);
    setAcceptedMouseButtons(Qt::LeftButton);
}

QRectF CloseButton::boundingRect() const
{
    return QRectF(0, 0, side, side);
}

void CloseButton::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    constexpr double symbolSize = 8.5;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor::fromRgbF(1, 1, 1, m_hovering ? 0.16f : 0.08f));
    painter->drawEllipse(boundingRect());
    const double inset = (side - symbolSize) / 2;
    Symbols::draw(*painter, boundingRect().adjusted(inset, inset, -inset, -inset), QStringLiteral("xmark"),
                  QColor::fromRgbF(1, 1, 1, m_hovering ? 0.9f : 0.45f));
    painter->restore();
}

void CloseButton::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    update();
}

void CloseButton::hoverEnterEvent(QGraphicsSceneHoverEvent *)
{
    setHovering(true);
}

void CloseButton::hoverLeaveEvent(QGraphicsSceneHoverEvent *)
{
    setHovering(false);
}

void CloseButton::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    // Taking the press keeps it from the banner below, which would activate.
    event->accept();
}

void CloseButton::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (boundingRect().contains(event->pos()) && m_action)
        m_action();
}

BannerContent::BannerContent(AppModel &app, double notchHeight, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_app(app)
    , m_notchHeight(notchHeight)
    , m_icon(new BannerIcon(app.services().workspace, this))
    , m_closeButton(new CloseButton([this] { m_app.banners.dismiss(); }, this))
{
    setAcceptedMouseButtons(Qt::LeftButton);
    m_currentNotifier = m_app.banners.bindableCurrent().addNotifier([this] { relayout(); });
    relayout();
}

BannerContent::~BannerContent() = default;

void BannerContent::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
    relayout();
}

BannerContent::Layout BannerContent::layout(const NotchBanner &banner, const QSizeF &iconSize, const QSizeF &size, double notchHeight)
{
    const QFontMetricsF titleMetrics(titleFont());
    const QFontMetricsF bodyMetrics(bodyFont());

    // Icon, text and a spacer in a row below the notch; the spacer keeps
    // one gap of its own before it.
    const double rowLeft = leadingPadding;
    const double rowTop = notchHeight + topPadding;
    const double rowWidth = std::max(0.0, size.width() - leadingPadding - trailingPadding);
    const double textLeft = rowLeft + iconSize.width() + spacing;
    const double textWidth = std::max(0.0, rowWidth - iconSize.width() - 2 * spacing);

    Layout layout;
    layout.bodyLines = Typography::wrap(banner.body, bodyFont(), textWidth, maximumBodyLines);
    const double titleHeight = titleMetrics.height();
    const double bodyHeight = layout.bodyLines.isEmpty() ? 0 : bodyMetrics.height() + (layout.bodyLines.size() - 1) * bodyMetrics.lineSpacing();
    constexpr double lineGap = 1;
    const double textHeight = titleHeight + (layout.bodyLines.isEmpty() ? 0 : lineGap + bodyHeight);
    const double rowHeight = std::max(iconSize.height(), textHeight);

    layout.icon = QRectF(QPointF(rowLeft, rowTop + (rowHeight - iconSize.height()) / 2), iconSize);
    const double textTop = rowTop + (rowHeight - textHeight) / 2;
    layout.title = QRectF(textLeft, textTop, textWidth, titleHeight);
    if (!layout.bodyLines.isEmpty())
        layout.body = QRectF(textLeft, layout.title.bottom() + lineGap, textWidth, bodyHeight);
    layout.closeButton = QRectF(size.width() - closeTrailingPadding - CloseButton::side, notchHeight + closeTopPadding, CloseButton::side,
                                CloseButton::side);
    return layout;
}

void BannerContent::relayout()
{
    m_banner = m_app.banners.current();
    if (m_banner) {
        m_icon->setBanner(*m_banner);
        m_layout = layout(*m_banner, m_icon->size(), m_size, m_notchHeight);
        m_icon->setPos(m_layout->icon.topLeft());
        m_closeButton->setPos(m_layout->closeButton.topLeft());
    } else {
        m_layout.reset();
    }
    m_icon->setVisible(m_banner.has_value());
    m_closeButton->setVisible(m_banner.has_value());
    update();
}

QRectF BannerContent::boundingRect() const
{
    return QRectF(QPointF(), m_size);
}

void BannerContent::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (!m_banner || !m_layout)
        return;
    Typography::drawLine(*painter, m_layout->title, m_banner->title, titleFont(), Qt::white);
    const QFont font = bodyFont();
    const QFontMetricsF metrics(font);
    const QColor bodyColor = QColor::fromRgbF(1, 1, 1, 0.62f);
    for (qsizetype index = 0; index < m_layout->bodyLines.size(); ++index) {
        const QRectF line(m_layout->body.left(), m_layout->body.top() + index * metrics.lineSpacing(), m_layout->body.width(), metrics.height());
        Typography::drawLine(*painter, line, m_layout->bodyLines.at(index), font, bodyColor);
    }
}

void BannerContent::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_banner)
        event->accept();
    else
        event->ignore();
}

void BannerContent::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    // activate() may end the banner, and the notch may then drop this view:
    // nothing may follow the call.
    if (m_banner && boundingRect().contains(event->pos()))
        m_app.banners.activate();
}

#include "BannerViews.moc"
