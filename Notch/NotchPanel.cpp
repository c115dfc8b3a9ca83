#include "Notch/NotchPanel.h"

#include <QGraphicsScene>
#include <QMouseEvent>
#include <QRegion>
#include <QWindow>

NotchPanel::NotchPanel(const QRect &frame, QGraphicsScene *scene, Transparency transparency)
    : QGraphicsView(scene)
    , m_transparency(transparency)
{
    // Bypassing the window manager keeps the panel where it is put, above the
    // top panel and on every desktop, out of task bars and window switching.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
                   | Qt::X11BypassWindowManagerHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setBackgroundBrush(Qt::NoBrush);
    setStyleSheet(QStringLiteral("background: transparent"));
    setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setSceneRect(QRectF(QPointF(0, 0), frame.size()));
    setGeometry(frame);
    setFixedSize(frame.size());
    setMouseTracking(true);
}

void NotchPanel::setIgnoresMouseEvents(bool ignores)
{
    m_ignoresMouseEvents = ignores;
    // The platform window exists from the first show on; before that the
    // flag is applied when it is created.
    if (QWindow *window = windowHandle())
        window->setFlag(Qt::WindowTransparentForInput, ignores);
    else
        setWindowFlag(Qt::WindowTransparentForInput, ignores);
}

void NotchPanel::setSilhouette(const QPainterPath &silhouette)
{
    if (m_transparency != Transparency::shapedToSilhouette)
        return;
    const QRegion region(silhouette.toFillPolygon().toPolygon());
    if (region.isEmpty()) {
        hide();
        return;
    }
    setMask(region);
    if (!isVisible())
        show();
}

void NotchPanel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && onLeftMouseDown)
        onLeftMouseDown();
    if (event->button() == Qt::RightButton && onRightMouseDown && onRightMouseDown(event->globalPosition().toPoint())) {
        event->accept();
        return;
    }
    QGraphicsView::mousePressEvent(event);
}
