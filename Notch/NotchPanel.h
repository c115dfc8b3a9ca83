#pragma once

#include <QGraphicsView>
#include <QPainterPath>

#include <functional>

class QGraphicsScene;

// The window of one notch: a frameless, translucent panel that hangs from the
// top edge of its screen, above the top panel on every desktop, and never
// takes the keyboard focus or shows in a task bar. It is placed once and
// never moved or resized; the visible notch is the silhouette drawn in its
// scene.
//
// Clicks pass through it to whatever lies below while it ignores mouse
// events (an empty X11 input shape). Without a compositor its clear parts
// would be black, so there its window shape follows the silhouette.
class NotchPanel : public QGraphicsView {
    Q_OBJECT
public:
    enum class Transparency { translucent, shapedToSilhouette };

    // `frame` in the desktop's global coordinates; the scene fills it.
    NotchPanel(const QRect &frame, QGraphicsScene *scene, Transparency transparency);

    Transparency transparency() const { return m_transparency; }

    bool ignoresMouseEvents() const { return m_ignoresMouseEvents; }
    void setIgnoresMouseEvents(bool ignores);

    // The window's outline without a compositor; ignored with one. An empty
    // silhouette hides the window there, as a clear one would show nothing.
    void setSilhouette(const QPainterPath &silhouette);

    // Called on a press of the left button, before the scene sees it.
    std::function<void()> onLeftMouseDown;
    // Called on a press of the right button at a global position; returns
    // whether it took the click (the scene then does not see it).
    std::function<bool(const QPoint &globalPosition)> onRightMouseDown;

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    const Transparency m_transparency;
    bool m_ignoresMouseEvents = false;
};
