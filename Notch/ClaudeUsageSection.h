#pragma once

#include "App/ClaudeUsage.h"
#include "Notch/ClickableItem.h"
#include "Support/FrameAnimation.h"

#include <QColor>
#include <QDateTime>
#include <QHash>
#include <QProperty>
#include <QPropertyNotifier>
#include <QStringList>

#include <optional>

class AppModel;

// The coding agent's usage-limit card in the open panel's calendar column:
// the agent's mark with the time until the five-hour window resets, then a
// "Sessão" row (five-hour window) and a "Semana" row (seven-day window),
// each a bar coloured by how much is used and the percentage. Every minute
// the card reads the clock again, so the reset countdown advances and a
// window whose reset time has passed shows as empty until new data comes.
// A click while the agent's login needs permission asks for it.
class ClaudeUsageSection : public ClickableItem {
    Q_OBJECT
public:
    static constexpr double headerHeight = 18;
    static constexpr double headerSpacing = 6;
    static constexpr double rowsTopPadding = 6;
    static constexpr double rowHeight = 18;
    static constexpr double rowSpacing = 2;
    static constexpr double rowItemSpacing = 10;
    static constexpr double labelWidth = 56;
    static constexpr double percentWidth = 40;
    static constexpr double barHeight = 5;
    // The progress capsule is never narrower than the bar is high.
    static constexpr double minimumProgressWidth = 5;
    static constexpr double clockInterval = 60;
    static constexpr double usageAnimationDuration = 0.4;

    struct Row {
        QString label;
        ClaudeUsageWindow window;
        QRectF labelRect;
        QRectF bar;
        // The progress capsule at rest (the bar animates towards it).
        QRectF progress;
        QColor color;
        QRectF percentRect;
        QString percentText;

        bool operator==(const Row &) const = default;
    };
    struct Layout {
        QRectF mark;
        QRectF title;
        // "toque para atualizar", "reinicia em …" or none.
        std::optional<QString> trailingText;
        QRectF trailing;
        QColor trailingColor;
        QList<Row> rows;
        double height = 0;

        bool operator==(const Layout &) const = default;
    };

    ClaudeUsageSection(AppModel &app, QGraphicsItem *parent = nullptr);
    ~ClaudeUsageSection() override;

    // The agent's accent colour, shared with its placeholder and settings.
    static QColor claudeColor();
    // The bar colour of a percentage used: green below 60, yellow below 80,
    // orange below 95, red from 95. A value that is not a number is green.
    static QColor color(double used);
    // The compact time until a reset: "45min", "2h", "2h05", "3d"; one
    // minute at least.
    static QString shortInterval(const QDateTime &from, const QDateTime &to);
    // The window as shown at `date`: one whose reset time has passed reads
    // as unused, without a reset time, until new data comes.
    static std::optional<ClaudeUsageWindow> displayed(const std::optional<ClaudeUsageWindow> &window, const QDateTime &date);
    // The share of the bar, 0 to 1.
    static double fraction(double used);
    // "42%": rounded, halves away from zero. Values that are not finite or
    // beyond 0…9999 show within those bounds (a number that is not a number
    // as 0).
    static QString percentText(double used);

    static Layout layout(const std::optional<ClaudeUsageWindow> &fiveHour, const std::optional<ClaudeUsageWindow> &sevenDay,
                         const ClaudeUsage::Status &status, const QDateTime &date, double width);

    void setWidth(double width);
    double height() const { return m_layout.height; }
    Layout layout() const { return m_layout; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

Q_SIGNALS:
    void heightChanged();

private:
    struct Inputs {
        std::optional<ClaudeUsageWindow> fiveHour;
        std::optional<ClaudeUsageWindow> sevenDay;
        ClaudeUsage::Status status;
        QDateTime date;

        bool operator==(const Inputs &) const = default;
    };
    void relayout();

    AppModel &m_app;
    double m_width = 0;
    QProperty<QDateTime> m_date;
    QProperty<Inputs> m_inputs;
    QPropertyNotifier m_inputsNotifier;
    RepeatingTimer m_clock;
    Layout m_layout;
    // Progress widths on screen when the usage last changed, per row label.
    QHash<QString, double> m_animatedFrom;
    FrameAnimation m_usageAnimation;
};

// What the calendar column shows in place of the usage-limit card while
// there is no usage data: the agent's mark and why there is nothing, which
// asks for the login's permission on a click when that is what is missing.
class ClaudeUsageEmpty : public ClickableItem {
    Q_OBJECT
public:
    static constexpr double spacing = 3;

    struct Layout {
        QRectF mark;
        QRectF title;
        QStringList messageLines;
        QRectF message;
        QColor messageColor;
        double height = 0;

        bool operator==(const Layout &) const = default;
    };

    ClaudeUsageEmpty(AppModel &app, QGraphicsItem *parent = nullptr);
    ~ClaudeUsageEmpty() override;

    static QString message(bool usageFromLogin, const ClaudeUsage::Status &status);
    QString message() const;

    static Layout layout(const QString &message, bool needsPermission, double width);

    void setWidth(double width);
    double height() const { return m_layout.height; }
    Layout layout() const { return m_layout; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

Q_SIGNALS:
    void heightChanged();

private:
    void relayout();

    AppModel &m_app;
    double m_width = 0;
    QProperty<std::pair<bool, ClaudeUsage::Status>> m_inputs;
    QPropertyNotifier m_inputsNotifier;
    Layout m_layout;
};
