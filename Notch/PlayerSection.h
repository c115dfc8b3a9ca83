#pragma once

#include "App/Preferences.h"
#include "Notch/MediaButton.h"
#include "Support/FrameAnimation.h"

#include <QColor>
#include <QGraphicsObject>
#include <QProperty>
#include <QPropertyNotifier>

#include <vector>

class AppModel;
class ArtworkView;
class ClickableItem;
class MarqueeText;
class PlayerTimeRow;
class WaveformView;

// The copy button of the transport row: puts the song line on the
// clipboard and shows a check mark for 1.2 s. Every press schedules its own
// reset and none is cancelled, so quick presses end 1.2 s after the first.
class CopyButton : public MediaButton {
    Q_OBJECT
public:
    static constexpr double confirmationDuration = 1.2;

    CopyButton(AppModel &app, double size, QGraphicsItem *parent = nullptr);
    ~CopyButton() override;

    bool isCopied() const { return m_copied; }

private:
    void setCopied(bool copied);

    Scheduler &m_scheduler;
    bool m_copied = false;
    std::vector<Scheduler::Token> m_resets;
};

// The media column of the open panel: the artwork beside the scrolling
// title, the artist and a small waveform; the time row with the scrub bar;
// the transport buttons and the extra button of the settings. It keeps no
// model state: every click is an operation of the now-playing model.
// Without media the time and transport rows are dimmed and take no input.
class PlayerSection : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double artworkSide = 52;
    static constexpr double artworkCornerRadius = 10;
    static constexpr double headerSpacing = 12;
    static constexpr double textSpacing = 3;
    static constexpr double titleHeight = 20;
    static constexpr double artistSpacing = 6;
    static constexpr double artistMinimumSpacer = 4;
    static constexpr QSizeF waveformSize{16, 12};
    static constexpr double timeRowSpacing = 10;
    static constexpr double transportSpacing = 4;
    static constexpr double buttonSpacing = 16;
    static constexpr double disabledOpacity = 0.4;
    static constexpr double textChangeDuration = 0.2;
    static constexpr double transportSymbolSize = 18;
    static constexpr double playSymbolSize = 26;
    static constexpr double extraSymbolSize = 13;

    // The extra button a setting asks for, with the model's modes.
    struct ExtraButtonLook {
        QString symbol;
        bool active = false;

        bool operator==(const ExtraButtonLook &) const = default;
    };
    // None for ExtraButton::none; the copy button's look while `copied`.
    static std::optional<ExtraButtonLook> extraButtonLook(ExtraButton button, int shuffleMode, int repeatMode, bool copied);
    // "Abrir no Música"; empty without an application name.
    static QString artworkHelp(const QString &appName);

    struct Layout {
        QRectF artwork;
        QRectF title;
        // The space of the artist's line.
        QRectF artist;
        std::optional<QRectF> waveform;
        QRectF timeRow;
        // Previous, play/pause, next and the extra button when there is one.
        QList<QRectF> buttons;
        double height = 0;

        bool operator==(const Layout &) const = default;
    };
    static Layout layout(double width, bool showsWaveform, bool hasExtraButton);

    explicit PlayerSection(AppModel &app, QGraphicsItem *parent = nullptr);
    ~PlayerSection() override;

    void setWidth(double width);
    double height() const { return m_layout.height; }
    Layout layout() const { return m_layout; }

    // The texts shown: the title (or "Nada tocando") and the artist (or
    // "Dê play em algum app").
    QString titleText() const;
    QString artistText() const;
    // The time and transport rows take input (there is media).
    bool areControlsEnabled() const;
    PlayerTimeRow *timeRow() const { return m_timeRow; }
    QList<MediaButton *> buttons() const;
    ClickableItem *artworkButton() const { return m_artworkButton; }
    ArtworkView *artwork() const { return m_artwork; }
    MarqueeText *title() const { return m_title; }
    WaveformView *waveform() const { return m_waveform; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    struct Inputs {
        bool hasMedia;
        QString shownTitle;
        QString title;
        QString artist;
        bool isPlaying;
        int artworkVersion;
        qint64 artworkKey;
        QString appName;
        QColor tint;
        int shuffleMode;
        int repeatMode;
        bool artworkFlip;
        bool showWaveform;
        WaveformStyle waveformStyle;
        ExtraButton extraButton;

        bool operator==(const Inputs &) const = default;
    };
    Inputs readInputs() const;
    void apply(const Inputs &previous);
    void relayout();
    void updateExtraButton();
    void textChangeFrame();

    AppModel &m_app;
    double m_width = 0;
    QProperty<Inputs> m_inputs;
    QPropertyNotifier m_inputsNotifier;
    Inputs m_applied;
    Layout m_layout;

    ClickableItem *m_artworkButton;
    ArtworkView *m_artwork;
    MarqueeText *m_title;
    // The previous song's title while it fades out.
    MarqueeText *m_leavingTitle = nullptr;
    QString m_previousArtist;
    FrameAnimation m_textChange;
    WaveformView *m_waveform;
    // Holds the time and transport rows: dimmed and disabled without media.
    QGraphicsObject *m_controls;
    PlayerTimeRow *m_timeRow;
    MediaButton *m_previous;
    MediaButton *m_playPause;
    MediaButton *m_next;
    MediaButton *m_extra = nullptr;
    ExtraButton m_extraKind = ExtraButton::none;
};
