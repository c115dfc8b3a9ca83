#pragma once

#include <QGraphicsView>

class QGraphicsItem;

// A window of the lock screen (the player, a backdrop, the mute indicator):
// frameless, translucent, stay-on-top, outside the window manager (so it can
// be raised above a screen locker's windows), never focused and never in a
// task bar. Its scene holds one root item, the view it shows, at the
// scene's origin; the scene follows the window's size.
class LockScreenPanel : public QGraphicsView {
    Q_OBJECT
public:
    enum class Mouse { takes, ignores };

    // `frame` in the desktop's global coordinates. The panel takes `root`.
    LockScreenPanel(const QRect &frame, QGraphicsItem *root, Mouse mouse);
    ~LockScreenPanel() override;

    QGraphicsItem *root() const { return m_root; }
    // Moves and resizes the window; the scene follows.
    void setFrame(const QRect &frame);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QGraphicsItem *m_root;
};
