#pragma once

#include "LockScreen/LyricsView.h"
#include "Support/FrameAnimation.h"

#include <QGraphicsObject>
#include <QPointer>
#include <QPropertyNotifier>

class AppModel;
class BlurBackdrop;
class LockClockView;
class LockScreenState;


// The cover of one screen while the lock-screen player is large or shows
// lyrics: the blur and dim with holes for the login window's controls, and,
// on the first screen only, the clock and the lyrics band. The root item of
// a backdrop panel.
class LockBackdropView : public QGraphicsObject {
    Q_OBJECT
public:
    // `main`: the first screen's backdrop, the only one with holes, clock
    // and lyrics.
    enum class Role { main, secondary };

    static constexpr double lyricsAnimationDuration = 0.35;
    static constexpr double lyricsHiddenScale = 0.97;

    // The clock's top edge on a screen of `size`.
    static double clockTop(const QSizeF &size);
    // The lyrics band on a screen of `size`: from 120 points below the
    // clock's top edge to 36 points above the player's drawn widgets, at
    // least 120 high, at most 780 wide and centred.
    static QRectF lyricsBand(const QSizeF &size, bool showLyrics, double playerBottomInset, double widgetsHeight);

    LockBackdropView(LockScreenState &state, AppModel &model, QSizeF size, Role role, QGraphicsItem *parent = nullptr);
    ~LockBackdropView() override;

    Role role() const { return m_role; }
    BlurBackdrop *blur() const { return m_blur; }
    // The clock and the lyrics exist on the main backdrop only; the lyrics
    // while they show or fade out.
    LockClockView *clock() const { return m_clock; }
    LyricsView *lyrics() const;
    // 0 without lyrics, 1 with them; between while the change animates.
    double lyricsProgress() const;

    QRectF boundingRect() const override { return QRectF(QPointF(), m_size); }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showLyricsChanged();
    void layoutLyrics();
    void applyLyricsProgress();
    // Without a compositor: the screen beneath the panel, just before the
    // panel appears.
    void grabBeneath(const QWidget &panel);

    LockScreenState &m_state;
    AppModel &m_model;
    QSizeF m_size;
    Role m_role;
    BlurBackdrop *m_blur;
    LockClockView *m_clock = nullptr;
    QPointer<LyricsView> m_lyrics;
    double m_lyricsFrom = 0;
    double m_lyricsTarget = 0;
    FrameAnimation m_lyricsAnimation;
    QPropertyNotifier m_loginItemsNotifier;
    QPropertyNotifier m_showLyricsNotifier;
    QPropertyNotifier m_insetNotifier;
    QPropertyNotifier m_widgetsNotifier;
};
