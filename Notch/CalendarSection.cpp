#include "Notch/CalendarSection.h"

#include "App/AppModel.h"
#include "Calendar/WeatherCode.h"
#include "Notch/ClaudeUsageSection.h"
#include "Notch/EventProgressRing.h"
#include "Platform/Symbols.h"
#include "Shared/Typography.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>

#include <algorithm>

namespace {

QFont dayFont() { return Typography::systemFont(36, QFont::Light); }
QFont weekdayFont() { return Typography::systemFont(13.5, QFont::DemiBold); }
QFont monthFont() { return Typography::systemFont(12); }
QFont moreFont() { return Typography::systemFont(11); }
QFont weatherLabelFont() { return Typography::systemFont(13, QFont::DemiBold); }
QFont weatherTemperatureFont() { return Typography::systemFont(13); }
constexpr double weatherSymbolSize = 12;
QFont emptyTitleFont() { return Typography::systemFont(11, QFont::Medium); }
QFont emptySubtitleFont() { return Typography::systemFont(11); }
QFont eventTitleFont() { return Typography::systemFont(12, QFont::DemiBold); }
QFont eventTimeFont() { return Typography::systemFont(11); }
QFont joinFont() { return Typography::systemFont(11, QFont::DemiBold); }

QColor white(double opacity) { return QColor::fromRgbF(1, 1, 1, float(opacity)); }
double lineHeight(const QFont &font) { return QFontMetricsF(font).height(); }

// The panel's texts are Brazilian Portuguese, and so are its dates.
const QLocale &locale()
{
    static const QLocale portuguese(QLocale::Portuguese, QLocale::Brazil);
    return portuguese;
}

QColor brightened(const QColor &color, double amount)
{
    return QColor::fromRgbF(float(std::min(1.0, color.redF() + amount)), float(std::min(1.0, color.greenF() + amount)),
                            float(std::min(1.0, color.blueF() + amount)), color.alphaF());
}

} // namespace

CalendarSection::CalendarSection(AppModel &app, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_app(app)
{
    setFlag(ItemHasNoContents, false);
    m_inputs.setBinding([this] { return readInputs(); });
    m_inputsNotifier = m_inputs.addNotifier([this] { rebuild(); });
    rebuild();
}

CalendarSection::~CalendarSection() = default;

CalendarSection::Inputs CalendarSection::readInputs() const
{
    // Every input is read on every evaluation (no short cut), so the
    // binding's dependencies never grow while it is being notified.
    Preferences &preferences = m_app.preferences;
    CalendarModel &calendar = m_app.calendar;
    WeatherModel &weather = m_app.weather;
    ClaudeUsage &usage = m_app.claudeUsage;
    const auto fiveHour = usage.bindableFiveHour().value();
    const auto sevenDay = usage.bindableSevenDay().value();
    return Inputs{preferences.sideColumn.value(),
                  preferences.useCalendarColor.value(),
                  preferences.showWeather.value(),
                  calendar.bindableToday().value(),
                  calendar.upcoming(),
                  calendar.bindableCountdownEvent().value(),
                  weather.bindableTemperature().value(),
                  weather.bindableCode().value(),
                  weather.bindableIsDay().value(),
                  WeatherModel::temperatureText(weather.bindableTemperature().value()),
                  fiveHour.has_value() || sevenDay.has_value()};
}

CalendarSection::Blocks CalendarSection::blocks(SideColumn sideColumn, qsizetype upcomingCount, bool hasUsageData)
{
    switch (sideColumn) {
    case SideColumn::claude:
        return Blocks{EventsBlock::none, hasUsageData ? UsageBlock::card : UsageBlock::placeholder, false};
    case SideColumn::both:
        return Blocks{upcomingCount > 0 ? EventsBlock::events : EventsBlock::emptyDay, hasUsageData ? UsageBlock::card : UsageBlock::none,
                      upcomingCount > listedEvents};
    case SideColumn::calendar:
        break;
    }
    return Blocks{upcomingCount > 0 ? EventsBlock::events : EventsBlock::emptyDay, UsageBlock::none, upcomingCount > listedEvents};
}

QString CalendarSection::moreEventsText(qsizetype upcomingCount)
{
    const qsizetype more = upcomingCount - listedEvents;
    if (more <= 0)
        return {};
    if (more == 1)
        return QStringLiteral("+1 evento");
    return QStringLiteral("+%1 eventos").arg(more);
}

QString CalendarSection::timeText(const DayEvent &event, const QDateTime &now)
{
    if (event.isAllDay)
        return QStringLiteral("Dia inteiro");
    if (event.start <= now)
        return QStringLiteral("Agora · até ") + clockText(event.end);
    const qint64 minutes = now.msecsTo(event.start) / 60000;
    if (minutes <= 59)
        return QStringLiteral("Em %1 min").arg(std::max<qint64>(minutes, 1));
    return clockText(event.start) + QStringLiteral(" – ") + clockText(event.end);
}

QString CalendarSection::weekdayText(const QDate &date)
{
    QString name = locale().dayName(date.dayOfWeek(), QLocale::LongFormat);
    if (!name.isEmpty())
        name.replace(0, 1, name.at(0).toUpper());
    return name;
}

QString CalendarSection::monthText(const QDate &date)
{
    return locale().standaloneMonthName(date.month(), QLocale::LongFormat);
}

QString CalendarSection::clockText(const QDateTime &time)
{
    return locale().toString(time.time(), QLocale::ShortFormat);
}

bool CalendarSection::isSoon(const DayEvent &event, const QDateTime &now)
{
    return !event.isAllDay && now.msecsTo(event.start) < 3600 * 1000;
}

bool CalendarSection::isInProgress(const DayEvent &event, const QDateTime &now)
{
    return event.start <= now && now < event.end && !event.isAllDay;
}

QColor CalendarSection::rowColor(const DayEvent &event, bool useCalendarColor)
{
    return useCalendarColor ? event.color : white(0.6);
}

void CalendarSection::setWidth(double width)
{
    if (width == m_width)
        return;
    m_width = width;
    rebuild();
}

void CalendarSection::rebuild()
{
    const Inputs inputs = m_inputs.value();
    m_blocks = blocks(inputs.sideColumn, inputs.upcoming.size(), inputs.hasUsageData);
    const QDateTime now = m_app.services().scheduler.now();

    // Event rows: rebuilt when what they show changed (their buttons' hover
    // state goes with them).
    QList<EventRow::Data> rows;
    if (m_blocks.events == EventsBlock::events) {
        for (const DayEvent &event : inputs.upcoming.mid(0, listedEvents)) {
            rows.append(EventRow::Data{event, timeText(event, now), rowColor(event, inputs.useCalendarColor), isSoon(event, now),
                                       inputs.countdownEvent && inputs.countdownEvent->id == event.id, isInProgress(event, now)});
        }
    }
    QList<EventRow::Data> shown;
    for (const EventRow *row : m_rows)
        shown.append(row->data());
    if (shown != rows || (!m_rows.isEmpty() && m_rows.first()->boundingRect().width() != m_width)) {
        // A row may be replaced from its own button's click: it goes once
        // the click has been handled.
        for (EventRow *row : std::as_const(m_rows)) {
            row->hide();
            row->deleteLater();
        }
        m_rows.clear();
        for (const EventRow::Data &data : rows)
            m_rows.append(new EventRow(m_app, data, m_width, this));
    }

    // The usage part: the card or its placeholder, kept while it stays.
    // The card can go from its own click (a fetch that ends the data).
    if (m_blocks.usage != UsageBlock::card && m_usageCard) {
        m_usageCard->hide();
        m_usageCard->deleteLater();
        m_usageCard = nullptr;
    }
    if (m_blocks.usage != UsageBlock::placeholder && m_usagePlaceholder) {
        m_usagePlaceholder->hide();
        m_usagePlaceholder->deleteLater();
        m_usagePlaceholder = nullptr;
    }
    if (m_blocks.usage == UsageBlock::card && !m_usageCard) {
        m_usageCard = new ClaudeUsageSection(m_app, this);
        connect(m_usageCard, &ClaudeUsageSection::heightChanged, this, &CalendarSection::relayout);
    }
    if (m_blocks.usage == UsageBlock::placeholder && !m_usagePlaceholder) {
        m_usagePlaceholder = new ClaudeUsageEmpty(m_app, this);
        connect(m_usagePlaceholder, &ClaudeUsageEmpty::heightChanged, this, &CalendarSection::relayout);
    }
    if (m_usageCard)
        m_usageCard->setWidth(m_width);
    if (m_usagePlaceholder)
        m_usagePlaceholder->setWidth(m_width);
    relayout();
}

void CalendarSection::relayout()
{
    const Inputs inputs = m_inputs.value();
    Layout layout;

    // Header: the day, the weekday over the month, the count of the rest.
    const QDate today = inputs.today.date();
    layout.dayText = today.isValid() ? QString::number(today.day()) : QString();
    layout.day = QRectF(0, 0, Typography::width(layout.dayText, dayFont()), headerHeight);
    const double namesLeft = layout.day.right() + headerSpacing;
    layout.weekdayText = today.isValid() ? weekdayText(today) : QString();
    layout.monthText = today.isValid() ? monthText(today) : QString();
    layout.moreText = m_blocks.showsMoreCount ? moreEventsText(inputs.upcoming.size()) : QString();
    double namesRight = m_width;
    if (!layout.moreText.isEmpty()) {
        const double moreWidth = Typography::width(layout.moreText, moreFont());
        layout.more = QRectF(m_width - moreWidth, 0, moreWidth, headerHeight);
        namesRight = layout.more->left() - 4;
    }
    const double weekdayHeight = lineHeight(weekdayFont());
    const double namesTop = (headerHeight - weekdayHeight - lineHeight(monthFont())) / 2;
    const double namesWidth = std::max(0.0, namesRight - namesLeft);
    // Beside the count, a long weekday may not fit: its "-feira" goes first,
    // never the day's own name.
    if (Typography::fitLine(layout.weekdayText, weekdayFont(), namesWidth).text != layout.weekdayText)
        layout.weekdayText = layout.weekdayText.section(QLatin1Char('-'), 0, 0);
    layout.weekday = QRectF(namesLeft, namesTop, namesWidth, weekdayHeight);
    layout.month = QRectF(namesLeft, namesTop + weekdayHeight, namesWidth, lineHeight(monthFont()));

    double top = headerHeight;
    if (m_blocks.events == EventsBlock::events) {
        top += partTopPadding;
        for (EventRow *row : m_rows) {
            row->setPos(0, top);
            layout.rows.append(QRectF(0, top, m_width, row->height()));
            top += row->height() + rowSpacing;
        }
        top -= rowSpacing;
    } else if (m_blocks.events == EventsBlock::emptyDay) {
        top += partTopPadding;
        if (inputs.showWeather && inputs.temperature && inputs.weatherCode) {
            const double height = lineHeight(weatherLabelFont());
            const QString label = WeatherCode::label(*inputs.weatherCode);
            layout.weatherSymbol = QRectF(0, top + (height - weatherSymbolSize) / 2, weatherSymbolSize, weatherSymbolSize);
            layout.weatherLabel = QRectF(layout.weatherSymbol->right() + weatherSpacing, top, Typography::width(label, weatherLabelFont()), height);
            const double temperatureLeft = layout.weatherLabel.right() + weatherSpacing;
            layout.weatherTemperature = QRectF(temperatureLeft, top, std::max(0.0, m_width - temperatureLeft), height);
            top += height + emptyDaySpacing;
        }
        layout.emptyDayTitle = QRectF(0, top, m_width, lineHeight(emptyTitleFont()));
        top += lineHeight(emptyTitleFont()) + emptyDaySpacing;
        layout.emptyDaySubtitle = QRectF(0, top, m_width, lineHeight(emptySubtitleFont()));
        top += lineHeight(emptySubtitleFont());
    }

    if (m_usageCard || m_usagePlaceholder) {
        top += usageTopPadding;
        QGraphicsObject *usage = m_usageCard ? static_cast<QGraphicsObject *>(m_usageCard) : m_usagePlaceholder;
        const double height = m_usageCard ? m_usageCard->height() : m_usagePlaceholder->height();
        usage->setPos(0, top);
        layout.usage = QRectF(0, top, m_width, height);
        top += height;
    }
    layout.height = top;

    if (layout == m_layout)
        return;
    const bool heightChanges = layout.height != m_layout.height;
    prepareGeometryChange();
    m_layout = std::move(layout);
    update();
    if (heightChanges)
        Q_EMIT heightChanged();
}

QRectF CalendarSection::boundingRect() const
{
    return QRectF(0, 0, m_width, m_layout.height);
}

void CalendarSection::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const Inputs inputs = m_inputs.value();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    Typography::drawLine(*painter, m_layout.day, m_layout.dayText, dayFont(), Qt::white);
    Typography::drawLine(*painter, m_layout.weekday, m_layout.weekdayText, weekdayFont(), QColor::fromRgbF(1.0f, 0.3f, 0.27f));
    Typography::drawLine(*painter, m_layout.month, m_layout.monthText, monthFont(), white(0.45));
    if (m_layout.more)
        Typography::drawLine(*painter, *m_layout.more, m_layout.moreText, moreFont(), white(0.4));
    if (m_layout.weatherSymbol) {
        // The symbol set is one colour: the weather symbol draws in white.
        Symbols::draw(*painter, *m_layout.weatherSymbol, WeatherCode::symbol(*inputs.weatherCode, inputs.isDay), Qt::white);
        Typography::drawLine(*painter, m_layout.weatherLabel, WeatherCode::label(*inputs.weatherCode), weatherLabelFont(), Qt::white);
        Typography::drawLine(*painter, m_layout.weatherTemperature, inputs.temperatureText, weatherTemperatureFont(), white(0.55));
    }
    if (m_layout.emptyDayTitle) {
        Typography::drawLine(*painter, *m_layout.emptyDayTitle, QStringLiteral("Nenhum evento hoje"), emptyTitleFont(), white(0.55));
        Typography::drawLine(*painter, m_layout.emptyDaySubtitle, QStringLiteral("Seu dia está livre"), emptySubtitleFont(), white(0.35));
    }
    painter->restore();
}

JoinButton::JoinButton(std::optional<QString> provider, bool prominent, std::function<void()> action, QGraphicsItem *parent)
    : ClickableItem(std::move(action), parent)
    , m_prominent(prominent)
{
    setToolTip(help(provider));
}

QString JoinButton::help(const std::optional<QString> &provider)
{
    return provider ? QStringLiteral("Entrar no ") + *provider : QStringLiteral("Entrar na chamada");
}

double JoinButton::width() const
{
    return horizontalPadding + symbolSize + spacing + Typography::width(QStringLiteral("Entrar"), joinFont()) + horizontalPadding;
}

QRectF JoinButton::boundingRect() const
{
    return QRectF(0, 0, width(), height);
}

void JoinButton::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const double brighten = isHovering() ? hoverBrightening : 0;
    const QColor fill = brightened(m_prominent ? QColor::fromRgbF(0.25f, 0.85f, 0.45f) : white(0.14), brighten);
    const QColor ink = brightened(m_prominent ? QColor(Qt::black) : QColor(Qt::white), brighten);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(fill);
    painter->drawRoundedRect(boundingRect(), height / 2, height / 2);
    const QRectF symbol(horizontalPadding, (height - symbolSize) / 2, symbolSize, symbolSize);
    Symbols::draw(*painter, symbol, QStringLiteral("video.fill"), ink);
    const double textLeft = symbol.right() + spacing;
    Typography::drawLine(*painter, QRectF(textLeft, 0, width() - textLeft - horizontalPadding + 1, height), QStringLiteral("Entrar"), joinFont(),
                         ink);
    painter->restore();
}

SmallIconButton::SmallIconButton(QString symbol, const QString &help, std::function<void()> action, QGraphicsItem *parent)
    : ClickableItem(std::move(action), parent)
    , m_symbol(std::move(symbol))
{
    setToolTip(help);
}

QRectF SmallIconButton::boundingRect() const
{
    return QRectF(0, 0, side, side);
}

void SmallIconButton::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(white(isHovering() ? 0.16 : 0.08));
    painter->drawEllipse(boundingRect());
    const double inset = (side - symbolSize) / 2;
    Symbols::draw(*painter, boundingRect().adjusted(inset, inset, -inset, -inset), m_symbol, white(isHovering() ? 0.9 : 0.5));
    painter->restore();
}

EventRow::EventRow(AppModel &app, const Data &data, double width, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_data(data)
    , m_width(width)
{
    const double textHeight = lineHeight(eventTitleFont()) + lineHeight(eventTimeFont());
    double trailing = width;
    if (m_data.isCountingDown) {
        m_dismiss = new SmallIconButton(QStringLiteral("bell.slash.fill"), QStringLiteral("Parar a contagem"),
                                        [&app] { app.calendar.dismissCountdown(); }, this);
        trailing -= SmallIconButton::side;
    }
    if (m_data.event.joinURL) {
        const DayEvent event = m_data.event;
        m_join = new JoinButton(m_data.event.joinProvider, m_data.isSoon, [&app, event] { app.calendar.join(event); }, this);
        if (m_dismiss)
            trailing -= spacing;
        trailing -= m_join->width();
    }
    const bool ring = marker() == Marker::ring;
    m_height = std::max({ring ? ringSize : barHeight, textHeight, m_join ? JoinButton::height : 0.0, m_dismiss ? SmallIconButton::side : 0.0});
    const double middle = m_height / 2;
    m_marker = ring ? QRectF(0, middle - ringSize / 2, ringSize, ringSize) : QRectF(0, middle - barHeight / 2, barWidth, barHeight);
    if (ring) {
        m_ring = new EventProgressRing(app.services().scheduler, m_data.event, ringSize, ringColor(m_data.color), this);
        m_ring->setPos(m_marker.topLeft());
    }
    const double textLeft = m_marker.right() + spacing;
    // The spacer keeps its minimum and the stack's spacing on both sides.
    const double textRight = (m_join || m_dismiss) ? trailing - 2 * spacing - trailingMinimumSpacing : width - spacing - trailingMinimumSpacing;
    const double textWidth = std::max(0.0, textRight - textLeft);
    m_title = QRectF(textLeft, middle - textHeight / 2, textWidth, lineHeight(eventTitleFont()));
    m_time = QRectF(textLeft, m_title.bottom(), textWidth, lineHeight(eventTimeFont()));
    double left = trailing;
    if (m_join) {
        m_join->setPos(left, middle - JoinButton::height / 2);
        left += m_join->width() + spacing;
    }
    if (m_dismiss)
        m_dismiss->setPos(left, middle - SmallIconButton::side / 2);
}

QColor EventRow::ringColor(const QColor &rowColor)
{
    return rowColor == white(0.6) ? QColor::fromRgbF(0.3f, 0.85f, 0.5f) : rowColor;
}

QRectF EventRow::boundingRect() const
{
    return QRectF(0, 0, m_width, m_height);
}

void EventRow::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (marker() == Marker::bar) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(m_data.color);
        painter->drawRoundedRect(m_marker, barRadius, barRadius);
    }
    Typography::drawLine(*painter, m_title, m_data.event.title, eventTitleFont(), Qt::white);
    Typography::drawLine(*painter, m_time, m_data.timeText, eventTimeFont(), white(0.5));
    painter->restore();
}
