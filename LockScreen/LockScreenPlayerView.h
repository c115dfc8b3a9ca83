#pragma once

#include "App/Preferences.h"
#include "Support/SpringAnimation.h"

#include <QGraphicsObject>
#include <QImage>
#include <QList>
#include <QProperty>
#include <QPropertyNotifier>

#include <optional>

class AppModel;
class ArtworkView;
class ClickableItem;
class LockScreenState;
class MarqueeText;
class MediaButton;
class ProgressRow;
class VolumeRow;
class WeatherPill;

// The content of the lock screen's player panel, in a 440 × 640 box at its
// origin: the glass player card (artwork, title and artist, progress,
// transport, volume) and above it the weather pill, stacked from 10 points
// above the box's bottom edge. The card is compact (60-point artwork beside
// the titles) or large (300-point artwork above them); its buttons and the
// artwork switch the form and the lyrics in the lock-screen state, and the
// view publishes the height of what it draws there. Which of the two widgets
// shows is the state's; they enter and leave scaling and fading.
class LockScreenPlayerView : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr QSizeF size{440, 640};
    static constexpr double bottomMargin = 10;
    static constexpr double stackSpacing = 12;
    static constexpr double cardWidth = 360;
    static constexpr double cardPadding = 20;
    static constexpr double cardCornerRadius = 32;
    static constexpr double compactArtworkSide = 60;
    static constexpr double compactArtworkRadius = 12;
    static constexpr double compactHeaderSpacing = 14;
    static constexpr double largeArtworkSide = 300;
    static constexpr double largeArtworkRadius = 22;
    static constexpr double largeHeaderSpacing = 16;
    static constexpr double titleSpacing = 2;
    static constexpr double compactTitleHeight = 20;
    static constexpr double largeTitleHeight = 22;
    static constexpr double artistOpacity = 0.6;
    static constexpr double progressSpacing = 18;
    static constexpr double controlsSpacing = 10;
    static constexpr double volumeSpacing = 12;
    static constexpr double transportSpacing = 30;
    static constexpr double lyricsSymbolSize = 15;
    static constexpr double skipSymbolSize = 20;
    static constexpr double playSymbolSize = 28;
    static constexpr double expandSymbolSize = 14;
    // The spring of every change of form, and the one the widgets enter and
    // leave with.
    static constexpr double formSpringResponse = 0.48;
    static constexpr double formSpringDamping = 0.82;
    static constexpr double presenceSpringResponse = 0.45;
    static constexpr double presenceSpringDamping = 0.85;
    // The scale a widget enters from and leaves to.
    static constexpr double pillHiddenScale = 0.9;
    static constexpr double cardHiddenScale = 0.95;

    // What decides the layout.
    struct Form {
        bool showsWeather = false;
        QSizeF pillSize;
        bool showsPlayer = false;
        bool large = false;
        bool showsProgress = true;
        bool showsVolume = false;

        bool operator==(const Form &) const = default;
    };
    // Where everything goes, in the view's coordinates. The card's parts are
    // placed also while the card is not shown (where it would be).
    struct Layout {
        QRectF pill;
        QRectF card;
        QRectF artwork;
        QRectF title;
        QRectF artist;
        QRectF progress;
        QRectF controls;
        // Lyrics, previous, play or pause, next, expand.
        QList<QRectF> buttons;
        QRectF volume;
        // The height of what is drawn: the shown widgets and the spacing
        // between them.
        double height = 0;

        bool operator==(const Layout &) const = default;
    };
    static Layout layout(const Form &form);
    // `to` weighed by `factor` against `from` (a spring's factor may pass 1).
    static Layout interpolate(const Layout &from, const Layout &to, double factor);

    // The card is large while expanded, unless the lyrics show.
    static bool isLarge(bool expanded, bool showLyrics) { return expanded && !showLyrics; }
    // The progress row stays unless a song without a length plays.
    static bool showsProgress(bool hasMedia, double duration) { return !(hasMedia && duration <= 0); }
    static QString expandSymbol(bool expanded);
    static QString playSymbol(bool isPlaying);
    // The artwork's corner radius at a side between the two forms'.
    static double artworkRadius(double side);
    struct Shadow {
        double opacity;
        double radius;
        double offset;

        bool operator==(const Shadow &) const = default;
    };
    static Shadow artworkShadow(bool large);

    LockScreenPlayerView(LockScreenState &state, AppModel &model, QGraphicsItem *parent = nullptr);
    ~LockScreenPlayerView() override;

    // The layout the view heads for (drawn once the springs settle).
    Layout layout() const { return m_target; }
    // The layout drawn now.
    Layout shownLayout() const;
    bool isLarge() const { return m_form.large; }

    WeatherPill *weatherPill() const { return m_pill; }
    QGraphicsObject *card() const { return m_card; }
    ArtworkView *artwork() const { return m_artwork; }
    MarqueeText *title() const { return m_title; }
    QString artistText() const { return m_applied.artist; }
    ProgressRow *progressRow() const { return m_progress; }
    VolumeRow *volumeRow() const { return m_volume; }
    // Lyrics, previous, play or pause, next, expand.
    QList<MediaButton *> buttons() const;
    LockPlayerStyle style() const { return m_applied.style; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    struct Inputs {
        bool showsPlayer;
        bool showsWeather;
        bool expanded;
        bool showLyrics;
        bool hasMedia;
        double duration;
        bool isPlaying;
        QString title;
        QString artist;
        int artworkVersion;
        qint64 artworkKey;
        bool artworkFlip;
        LockPlayerStyle style;
        bool showVolume;
        bool volumeAvailable;

        bool operator==(const Inputs &) const = default;
    };
    Inputs readInputs() const;
    void apply(const Inputs &previous);
    void clickArtwork();
    void updateForm();
    void newTitle();
    void place();
    void placePresence();

    LockScreenState &m_state;
    AppModel &m_model;
    QProperty<Inputs> m_inputs;
    QPropertyNotifier m_inputsNotifier;
    Inputs m_applied;
    Form m_form;
    Layout m_target;
    // Where the layout spring started from.
    Layout m_from;
    SpringAnimation m_formSpring;
    // Each widget's presence, 0 hidden to 1 shown, when its spring started,
    // and the spring.
    double m_pillFrom = 0;
    double m_cardFrom = 0;
    SpringAnimation m_pillSpring;
    SpringAnimation m_cardSpring;

    WeatherPill *m_pill;
    QGraphicsObject *m_card;
    ClickableItem *m_artworkButton;
    ArtworkView *m_artwork;
    MarqueeText *m_title = nullptr;
    ProgressRow *m_progress;
    MediaButton *m_lyrics;
    MediaButton *m_previous;
    MediaButton *m_playPause;
    MediaButton *m_next;
    MediaButton *m_expand;
    VolumeRow *m_volume;
};
