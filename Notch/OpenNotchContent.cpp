#include "Notch/OpenNotchContent.h"

#include "App/AppModel.h"
#include "Notch/CalendarSection.h"
#include "Notch/PlayerSection.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

OpenNotchContent::OpenNotchContent(AppModel &app, double notchHeight, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_app(app)
    , m_notchHeight(notchHeight)
{
    m_columns.setBinding([this] {
        Preferences &preferences = m_app.preferences;
        // opensPlayer() and opensCalendar() stop early; reading their inputs
        // first keeps the binding's dependencies the same on every run.
        preferences.nowPlayingEnabled.value();
        preferences.calendarEnabled.value();
        preferences.idleActivity.value();
        return Columns{preferences.opensPlayer(), preferences.opensCalendar(), preferences.sideColumn.value() == SideColumn::both};
    });
    m_columnsNotifier = m_columns.addNotifier([this] { updateColumns(); });
    updateColumns();
}

OpenNotchContent::~OpenNotchContent() = default;

OpenNotchContent::Layout OpenNotchContent::layout(const QSizeF &size, double notchHeight, const Columns &columns, double playerHeight,
                                                  double calendarHeight)
{
    Layout layout;
    const double top = notchHeight + topSpacing;
    const double innerWidth = std::max(0.0, size.width() - 2 * horizontalPadding);
    if (columns.player && columns.calendar) {
        const double dividerSpace = dividerHorizontalPadding + dividerWidth + dividerHorizontalPadding;
        const double calendarWidth = std::clamp((innerWidth - dividerSpace) / 2, calendarMinimumWidth, calendarMaximumWidth);
        const double playerWidth = std::max(0.0, innerWidth - dividerSpace - calendarWidth);
        // The divider takes the whole height it is offered, so the row is
        // as tall as the space between the paddings.
        const double available = size.height() - top - bottomPadding;
        const double rowHeight = std::max({available, playerHeight, calendarHeight});
        const auto columnTop = [&](double height) { return columns.centred ? top + (rowHeight - height) / 2 : top; };
        layout.player = QRectF(horizontalPadding, columnTop(playerHeight), playerWidth, playerHeight);
        const double dividerLeft = horizontalPadding + playerWidth + dividerHorizontalPadding;
        layout.divider = QRectF(dividerLeft, top + dividerVerticalPadding, dividerWidth, std::max(0.0, rowHeight - 2 * dividerVerticalPadding));
        layout.calendar = QRectF(dividerLeft + dividerWidth + dividerHorizontalPadding, columnTop(calendarHeight), calendarWidth, calendarHeight);
    } else if (columns.player) {
        layout.player = QRectF(horizontalPadding, top, innerWidth, playerHeight);
    } else if (columns.calendar) {
        layout.calendar = QRectF(horizontalPadding, top, std::max(innerWidth, calendarMinimumWidth), calendarHeight);
    }
    return layout;
}

void OpenNotchContent::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
    relayout();
}

void OpenNotchContent::updateColumns()
{
    const Columns columns = m_columns.value();
    if (columns.player && !m_player) {
        m_player = new PlayerSection(m_app, this);
    } else if (!columns.player && m_player) {
        delete m_player;
        m_player = nullptr;
    }
    if (columns.calendar && !m_calendar) {
        m_calendar = new CalendarSection(m_app, this);
        connect(m_calendar, &CalendarSection::heightChanged, this, &OpenNotchContent::relayout);
    } else if (!columns.calendar && m_calendar) {
        delete m_calendar;
        m_calendar = nullptr;
    }
    relayout();
}

void OpenNotchContent::relayout()
{
    // A column reports its new height while it is being given its width;
    // the passes below take that height in.
    if (m_relayingOut)
        return;
    m_relayingOut = true;
    const Columns columns = m_columns.value();
    // The widths come first: a column's height may depend on its width.
    for (int pass = 0; pass < 2; ++pass) {
        m_layout = layout(m_size, m_notchHeight, columns, m_player ? m_player->height() : 0, m_calendar ? m_calendar->height() : 0);
        if (m_player && m_layout.player)
            m_player->setWidth(m_layout.player->width());
        if (m_calendar && m_layout.calendar)
            m_calendar->setWidth(m_layout.calendar->width());
    }
    if (m_player && m_layout.player)
        m_player->setPos(m_layout.player->topLeft());
    if (m_calendar && m_layout.calendar)
        m_calendar->setPos(m_layout.calendar->topLeft());
    m_relayingOut = false;
    update();
}

QRectF OpenNotchContent::boundingRect() const
{
    return QRectF(QPointF(), m_size);
}

void OpenNotchContent::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    // A one-point line drawn on a whole pixel, so it stays one sharp line
    // when the columns split the width at a half point.
    if (m_layout.divider) {
        const QRectF line(std::floor(m_layout.divider->left()), m_layout.divider->top(), dividerWidth, m_layout.divider->height());
        painter->fillRect(line, QColor::fromRgbF(1, 1, 1, float(dividerOpacity)));
    }
}
