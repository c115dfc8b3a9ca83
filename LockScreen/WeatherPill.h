#pragma once

#include "App/Preferences.h"
#include "Calendar/WeatherModel.h"

#include <QGraphicsObject>
#include <QProperty>
#include <QPropertyNotifier>

class AppModel;

// The weather above the lock-screen player: a glass capsule with a symbol
// and one line, the conditions, the next sunrise or sunset, or today's
// chance of rain, as the settings choose.
class WeatherPill : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double horizontalPadding = 16;
    static constexpr double verticalPadding = 9;
    static constexpr double spacing = 7;
    // The symbol at the size of body text.
    static constexpr double symbolSide = 17;
    static constexpr double textSize = 14;

    struct Content {
        QString symbol;
        QString text;

        bool operator==(const Content &) const = default;
    };
    // What the pill shows of the weather for a choice of the settings.
    static Content content(LockWeatherInfo info, std::optional<double> temperature, std::optional<int> code, bool isDay,
                           std::optional<int> precipitationChance, const std::optional<WeatherModel::SunEvent> &sunEvent);

    struct Layout {
        QSizeF size;
        QRectF symbol;
        QRectF text;

        bool operator==(const Layout &) const = default;
    };
    static Layout layout(const QString &text);

    explicit WeatherPill(AppModel &app, QGraphicsItem *parent = nullptr);
    ~WeatherPill() override;

    Content content() const { return m_content.value(); }
    Layout layout() const { return layout(m_content.value().text); }
    QSizeF size() const { return layout().size; }
    void setStyle(LockPlayerStyle style);
    LockPlayerStyle style() const { return m_style; }

    // Called after the size changed.
    void setOnResized(std::function<void()> onResized) { m_onResized = std::move(onResized); }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    QProperty<Content> m_content;
    QPropertyNotifier m_contentNotifier;
    LockPlayerStyle m_style = LockPlayerStyle::glass;
    std::function<void()> m_onResized;
};
