#pragma once

#include "Support/Scheduler.h"

#include <QGraphicsObject>
#include <QImage>
#include <QPixmap>

#include <optional>

// The album art of the current song as a rounded square filling the size it
// is given (cropped, never letter-boxed), or a faint square with a note when
// there is none. A new artwork version turns in like a card (the flip) or
// cross-fades; dimming darkens and desaturates it. The callers (the compact
// strip, the player, the lock screen) set its inputs as plain values; the
// view keeps only what its animations need. Animations are pure functions of
// the time since they began, played by a frame tick that runs only while one
// of them moves.
class ArtworkView : public QGraphicsObject {
    Q_OBJECT
public:
    // The spring that turns or fades a new artwork in.
    static constexpr double springResponse = 0.5;
    static constexpr double springDamping = 0.8;
    // The spring has come to rest (within a ten-thousandth) by then.
    static constexpr double springSettleDuration = 1.0;
    static constexpr double dimDuration = 0.3;
    static constexpr double dimOverlayOpacity = 0.45;
    static constexpr double dimmedSaturation = 0.75;
    // The vanishing point of the flip, relative to the view's larger side.
    static constexpr double perspective = 0.6;
    static constexpr double placeholderSymbolSize = 14;

    // How one of the two artworks of a change stands at a moment of it.
    struct Pose {
        double angle; // degrees about the vertical axis
        double opacity;
    };
    enum class Side { incoming, outgoing };

    explicit ArtworkView(Scheduler &scheduler, QGraphicsItem *parent = nullptr);
    ~ArtworkView() override;

    // The artwork and its identity: a new `version` starts a flip or a fade;
    // a new image with the same version shows at once, and so does the first
    // artwork the view is given.
    void setArtwork(const QImage &image, int version);
    void setCornerRadius(double radius);
    // Animate artwork changes with the flip (true) or a cross-fade (false).
    void setFlips(bool flips);
    // Darkens and desaturates over 0.3 s (set while playback is paused); the
    // first value given applies at once.
    void setDimmed(bool dimmed);
    // The rectangle the view fills, from (0, 0).
    void setSize(const QSizeF &size);

    QSizeF size() const { return m_size; }
    int version() const { return m_version.value_or(0); }
    bool flips() const { return m_flips; }
    bool isDimmed() const { return m_dimmed; }
    double cornerRadius() const { return m_cornerRadius; }
    bool isAnimating() const { return m_frames.isActive(); }
    // How far the dimming has come: 0 clear, 1 fully dimmed.
    double dimAmount() const;
    // Where the change of artwork stands now; none when no change moves.
    std::optional<Pose> pose(Side side) const;

    // The pose of each side `elapsed` seconds into a change.
    static Pose flipPose(Side side, double elapsed);
    static Pose crossFadePose(Side side, double elapsed);
    // The perspective projection of a turn by `angle` degrees about the
    // vertical axis through the centre of `rect`.
    static QTransform flipTransform(double angle, const QRectF &rect);
    // The dimming `elapsed` seconds into a fade from `from` to `to`.
    static double dimAmount(double from, double to, double elapsed);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    struct Picture {
        QImage image;
        // The image scaled to fill the view in device pixels, and its grey
        // twin for dimming; made once per image, size and pixel ratio.
        QPixmap filled;
        QPixmap grey;
    };

    void prepare(Picture &picture) const;
    // Makes the pictures anew when the view is drawn at another ratio.
    void setDevicePixelRatio(qreal ratio);
    void drawPicture(QPainter &painter, const Picture &picture, double dim) const;
    void startFrames();
    void frame();

    Scheduler &m_scheduler;
    QSizeF m_size;
    // Of the device the view was last drawn on: the pictures are made for it.
    qreal m_devicePixelRatio = 1;
    double m_cornerRadius = 0;
    bool m_flips = true;
    bool m_dimmed = false;
    std::optional<int> m_version;
    bool m_hasDimmed = false;
    Picture m_current;
    // The artwork being replaced, while the change moves.
    std::optional<Picture> m_previous;
    bool m_changeFlips = true;
    MonotonicTime m_changeStart;
    // The dimming fade: where it started, where it goes, since when.
    double m_dimFrom = 0;
    std::optional<MonotonicTime> m_dimStart;
    RepeatingTimer m_frames;
};
