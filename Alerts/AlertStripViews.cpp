#include "Alerts/AlertStripViews.h"

#include "App/AppModel.h"
#include "Platform/Symbols.h"
#include "Shared/CrossFade.h"
#include "Shared/Typography.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

QFont titleFont()
{
    return Typography::systemFont(AlertCompactContent::textSize, QFont::DemiBold);
}

QFont trailingFont()
{
    return Typography::withMonospacedDigits(titleFont());
}

double lerp(double from, double to, double progress)
{
    return from + (to - from) * progress;
}

QRectF lerp(const QRectF &from, const QRectF &to, double progress)
{
    return QRectF(lerp(from.x(), to.x(), progress), lerp(from.y(), to.y(), progress), lerp(from.width(), to.width(), progress),
                  lerp(from.height(), to.height(), progress));
}

} // namespace

AlertCompactContent::AlertCompactContent(AppModel &app, double notchHeight, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_app(app)
    , m_notchHeight(notchHeight)
    , m_bar(new HUDBar(this))
    , m_transition(app.services().scheduler, transitionDuration, [this] {
        if (!m_transition.isRunning())
            m_from.reset();
        placeBar();
        update();
    })
{
    m_currentNotifier = m_app.alerts.bindableCurrent().addNotifier([this] { relayout(Change::animated); });
    relayout(Change::immediate);
}

AlertCompactContent::~AlertCompactContent() = default;

void AlertCompactContent::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
    relayout(Change::immediate);
}

AlertCompactContent::Layout AlertCompactContent::layout(const NotchAlert &alert, const QSizeF &size, double notchHeight)
{
    const double groupWidth = std::max(0.0, alert.sideWidth - groupInset);
    const double middle = notchHeight / 2;
    const QFontMetricsF metrics(titleFont());
    const double lineHeight = metrics.height();

    Layout layout;
    layout.alert = alert;

    // Left group, from the leading edge: symbol column, then the title.
    const double left = horizontalPadding;
    const double symbolLeft = left + (symbolColumnWidth - symbolSize) / 2;
    layout.symbol = Symbol{alert.symbol, alert.symbolColor, QRectF(symbolLeft, middle - symbolSize / 2, symbolSize, symbolSize)};
    if (alert.title) {
        const double titleLeft = left + symbolColumnWidth + groupSpacing;
        const double titleWidth = std::max(0.0, groupWidth - symbolColumnWidth - groupSpacing);
        // A title's last word is the state it reports ("Microfone mudo"):
        // what does not fit is cut before it.
        const Typography::Line line = Typography::fitLine(*alert.title, titleFont(), titleWidth, Typography::Cut::beforeLastWord);
        layout.title = Label{line.text, Qt::white, QRectF(titleLeft, middle - lineHeight / 2, titleWidth, lineHeight), line.font};
    }

    // Right group, from the trailing edge: the text, then the bar.
    double right = size.width() - horizontalPadding;
    if (alert.trailing) {
        const double natural = Typography::width(*alert.trailing, trailingFont());
        double width = alert.level ? std::max(trailingMinimumWidth, natural) : natural;
        const double barRoom = alert.level ? std::max(0.0, alert.sideWidth - barInsetWithTrailing) + groupSpacing : 0;
        width = std::min(width, std::max(0.0, groupWidth - barRoom));
        const QColor color = alert.levelColors ? HUDBar::levelColor(alert.level.value_or(0), alert.levelBase) : alert.trailingColor;
        const Typography::Line line = Typography::fitLine(*alert.trailing, trailingFont(), width);
        layout.trailing = Label{line.text, color, QRectF(right - width, middle - lineHeight / 2, width, lineHeight), line.font};
        right -= width + groupSpacing;
    }
    if (alert.level) {
        const double width = std::max(0.0, alert.sideWidth - (alert.trailing ? barInsetWithTrailing : barInset));
        layout.bar = QRectF(right - width, middle - barHeight / 2, width, barHeight);
        layout.barAppearance = HUDBar::Appearance{*alert.level, alert.barStyle, alert.levelColors, alert.levelBase};
    }
    return layout;
}

void AlertCompactContent::relayout(Change change)
{
    const std::optional<NotchAlert> alert = m_app.alerts.current();
    std::optional<Layout> next;
    if (alert)
        next = layout(*alert, m_size, m_notchHeight);
    // Only a change from one alert to another moves inside the strip; the
    // notch itself reveals and hides the strip as a whole.
    if (change == Change::animated && m_layout && next && m_layout->alert != next->alert) {
        m_from = m_layout;
        m_layout = next;
        m_transition.start();
    } else {
        m_from.reset();
        m_layout = next;
        m_transition.stop();
    }
    placeBar();
    update();
}

void AlertCompactContent::placeBar()
{
    const bool leaving = m_from && m_from->bar;
    const bool shown = m_layout && m_layout->bar;
    m_bar->setVisible(leaving || shown);
    if (!leaving && !shown)
        return;
    // Between two bars the fill slides to its new level; a bar that comes or
    // goes fades.
    const double progress = m_transition.progress();
    const Layout &target = shown ? *m_layout : *m_from;
    HUDBar::Appearance appearance = target.barAppearance;
    QRectF rect = *target.bar;
    double opacity = shown ? progress : 1.0 - progress;
    if (leaving && shown) {
        appearance.level = lerp(std::clamp(m_from->barAppearance.level, 0.0, 1.0), std::clamp(appearance.level, 0.0, 1.0), progress);
        rect = lerp(*m_from->bar, *m_layout->bar, progress);
        opacity = 1.0;
    }
    m_bar->setAppearance(appearance);
    m_bar->setPos(rect.topLeft());
    m_bar->setSize(rect.size());
    m_bar->setOpacity(opacity);
}

QRectF AlertCompactContent::boundingRect() const
{
    return QRectF(QPointF(), m_size);
}

void AlertCompactContent::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (!m_layout)
        return;
    const double progress = m_transition.progress();
    const std::optional<Symbol> symbolFrom = m_from ? std::optional(m_from->symbol) : std::nullopt;
    CrossFade::draw(*painter, symbolFrom, std::optional(m_layout->symbol), progress,
                    [&](const Symbol &symbol) { Symbols::draw(*painter, symbol.rect, symbol.name, symbol.color); });

    const auto drawTitle = [&](const Label &label) { Typography::drawLine(*painter, label.rect, label.text, label.font, label.color); };
    CrossFade::draw(*painter, m_from ? m_from->title : std::nullopt, m_layout->title, progress, drawTitle);

    const auto drawTrailing = [&](const Label &label) {
        Typography::drawLine(*painter, label.rect, label.text, label.font, label.color, Qt::AlignRight);
    };
    CrossFade::draw(*painter, m_from ? m_from->trailing : std::nullopt, m_layout->trailing, progress, drawTrailing);
}
