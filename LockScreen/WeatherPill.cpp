#include "LockScreen/WeatherPill.h"

#include "App/AppModel.h"
#include "Calendar/WeatherCode.h"
#include "LockScreen/Glass.h"
#include "Platform/Symbols.h"
#include "Shared/Typography.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

QFont textFont() { return Typography::systemFont(WeatherPill::textSize, QFont::DemiBold); }

} // namespace

WeatherPill::Content WeatherPill::content(LockWeatherInfo info, std::optional<double> temperature, std::optional<int> code, bool isDay,
                                          std::optional<int> precipitationChance, const std::optional<WeatherModel::SunEvent> &sunEvent)
{
    switch (info) {
    case LockWeatherInfo::sun:
        return sunEvent ? Content{sunEvent->symbol, sunEvent->time} : Content{QStringLiteral("sunrise.fill"), QStringLiteral("--:--")};
    case LockWeatherInfo::precipitation:
        return {QStringLiteral("umbrella.fill"), QString::number(precipitationChance.value_or(0)) + QStringLiteral("% de chuva")};
    case LockWeatherInfo::conditions:
        break;
    }
    const int shownCode = code.value_or(0);
    return {WeatherCode::symbol(shownCode, isDay), WeatherModel::temperatureText(temperature) + QStringLiteral("  ") + WeatherCode::label(shownCode)};
}

WeatherPill::Layout WeatherPill::layout(const QString &text)
{
    const QFont font = textFont();
    const double textWidth = std::ceil(Typography::width(text, font));
    const double lineHeight = std::ceil(QFontMetricsF(font).height());
    const double contentHeight = std::max(symbolSide, lineHeight);
    Layout layout;
    layout.size = QSizeF(2 * horizontalPadding + symbolSide + spacing + textWidth, 2 * verticalPadding + contentHeight);
    layout.symbol = QRectF(horizontalPadding, verticalPadding + (contentHeight - symbolSide) / 2, symbolSide, symbolSide);
    layout.text = QRectF(layout.symbol.right() + spacing, verticalPadding + (contentHeight - lineHeight) / 2, textWidth, lineHeight);
    return layout;
}

WeatherPill::WeatherPill(AppModel &app, QGraphicsItem *parent)
    : QGraphicsObject(parent)
{
    m_content.setBinding([&app] {
        WeatherModel &weather = app.weather;
        // Every input is read on every evaluation, so the binding's
        // dependencies never change while it is being notified.
        return content(app.preferences.lockWeatherInfo.value(), weather.bindableTemperature().value(), weather.bindableCode().value(),
                       weather.bindableIsDay().value(), weather.bindablePrecipitationChance().value(), weather.bindableSunEvent().value());
    });
    m_contentNotifier = m_content.addNotifier([this] {
        prepareGeometryChange();
        update();
        if (m_onResized)
            m_onResized();
    });
}

WeatherPill::~WeatherPill() = default;

void WeatherPill::setStyle(LockPlayerStyle style)
{
    if (style == m_style)
        return;
    m_style = style;
    update();
}

QRectF WeatherPill::boundingRect() const
{
    return QRectF(QPointF(0, 0), size());
}

void WeatherPill::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const Layout parts = layout();
    QPainterPath capsule;
    const double radius = parts.size.height() / 2;
    capsule.addRoundedRect(QRectF(QPointF(0, 0), parts.size), radius, radius);
    Glass::draw(*painter, capsule, m_style);
    // The symbol set is drawn in one colour.
    Symbols::draw(*painter, parts.symbol, m_content.value().symbol, Qt::white);
    Typography::drawLine(*painter, parts.text, m_content.value().text, textFont(), Qt::white);
}
