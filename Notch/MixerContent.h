#pragma once

#include "Audio/AudioProcesses.h"
#include "Support/FrameAnimation.h"

#include <QFont>
#include <QGraphicsObject>
#include <QHash>
#include <QImage>
#include <QList>
#include <QProperty>
#include <QPropertyNotifier>

#include <functional>
#include <vector>

class CloseButton;
class MixerPlaceholder;
class NotchSlider;
class NotchViewModel;
class Scheduler;
class Workspace;

// An application's icon in a 22-point square: the icon of its desktop
// entry, or the generic "app.fill" symbol, faint, when the workspace has
// none. Looked up when the row of the application appears.
class AppIcon : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double side = 22;

    AppIcon(Workspace &workspace, const QString &id, QGraphicsItem *parent = nullptr);

    bool showsApplicationIcon() const { return !m_image.isNull(); }

    QRectF boundingRect() const override { return QRectF(0, 0, side, side); }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    QImage m_image;
};

// One row of the mixer, left to right: a leading mark 22 points wide (a
// symbol or an application's icon), a title, a flexible gap, a slider 170
// points wide and the value as a percentage.
class MixerRow : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double spacing = 10;
    static constexpr double leadingWidth = 22;
    static constexpr double minimumGap = 8;
    static constexpr double sliderWidth = 170;
    static constexpr double percentageWidth = 34;
    static constexpr double systemHeight = 26;
    static constexpr double applicationHeight = 32;

    // The value as a whole percentage, halves away from zero: "13%" for
    // 0.125.
    static QString percentText(double value);

    // `onChange` receives every new value from the slider.
    MixerRow(Scheduler &scheduler, double height, const QFont &titleFont, std::function<void(double)> onChange,
             QGraphicsItem *parent = nullptr);

    // Takes `leading` as a child, centred in the leading 22 points.
    void setLeading(QGraphicsObject *leading);
    void setTitle(const QString &title);
    void setValue(double value);
    void setWidth(double width);

    QGraphicsObject *leading() const { return m_leading; }
    QString title() const { return m_title; }
    double value() const { return m_value; }
    QString percentage() const { return percentText(m_value); }
    NotchSlider *slider() const { return m_slider; }
    QRectF titleRect() const;
    QRectF percentageRect() const;

    QRectF boundingRect() const override { return QRectF(0, 0, m_width, m_height); }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    void relayout();

    double m_height;
    double m_width = 0;
    QFont m_titleFont;
    QString m_title;
    double m_value = 0;
    QGraphicsObject *m_leading = nullptr;
    NotchSlider *m_slider;
};

// What the notch shows in its mixer state, below the notch band: the
// "Geral" row for the output volume, a divider, and one row per application
// the mixer shows (or a line saying that none plays). The sliders write the
// volume and the applications' gains as they move. A change of the list
// slides and fades the rows. While the mixer is pinned, a close button sits
// in the notch band's trailing corner.
class MixerContent : public QGraphicsObject {
    Q_OBJECT
public:
    // The rows begin this far below the notch.
    static constexpr double topSpacing = 4;
    static constexpr double horizontalPadding = 28;
    static constexpr double bottomPadding = 12;
    static constexpr double dividerSpacing = 4;
    static constexpr double placeholderHeight = 32;
    static constexpr double closeTrailingPadding = 26;
    static constexpr double minimumCloseTop = 3;
    static constexpr double listChangeDuration = 0.2;

    // The close button's distance from the top: centred in the notch band,
    // but at least 3 points.
    static double closeButtonTop(double notchHeight);

    MixerContent(NotchViewModel &viewModel, QGraphicsItem *parent = nullptr);
    ~MixerContent() override;

    // The rectangle the content fills, from (0, 0): the mixer's size.
    void setSize(const QSizeF &size);
    QSizeF size() const { return m_size; }

    MixerRow *systemRow() const { return m_systemRow; }
    // The rows of the applications shown, in list order; rows fading out
    // are not among them.
    QList<MixerRow *> applicationRows() const;
    MixerRow *applicationRow(const QString &id) const;
    // The text shown while no application is listed; fades like a row.
    QGraphicsObject *placeholder() const;
    CloseButton *closeButton() const { return m_closeButton; }
    QRectF dividerRect() const;
    bool isAnimatingList() const { return m_listChange.isRunning(); }

    QRectF boundingRect() const override { return QRectF(QPointF(), m_size); }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    struct Reading {
        QList<AudioApp> apps;
        QHash<QString, double> gains;
        float volume;
        bool isPinned;
        bool operator==(const Reading &) const = default;
    };
    // An application row and where it is going.
    struct Entry {
        QString id;
        MixerRow *row;
        bool isLeaving = false;
        double fromY = 0;
        double toY = 0;
        double fromOpacity = 1;
    };

    double rowWidth() const;
    double listTop() const;
    void apply();
    MixerRow *makeApplicationRow(const QString &id);
    void moveList(const QStringList &ids);
    void listFrame();
    void relayout();

    NotchViewModel &m_viewModel;
    double m_notchHeight;
    QSizeF m_size;
    MixerRow *m_systemRow;
    std::vector<Entry> m_entries;
    MixerPlaceholder *m_placeholder;
    double m_placeholderFrom = 1;
    CloseButton *m_closeButton;
    FrameAnimation m_listChange;
    QProperty<Reading> m_reading;
    QPropertyNotifier m_readingNotifier;
};
