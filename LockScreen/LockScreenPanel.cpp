#include "LockScreen/LockScreenPanel.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QResizeEvent>

LockScreenPanel::LockScreenPanel(const QRect &frame, QGraphicsItem *root, Mouse mouse)
    : QGraphicsView(new QGraphicsScene)
    , m_root(root)
{
    scene()->setParent(this);
    scene()->addItem(root);
    // Outside the window manager the panel stays where it is put, on every
    // desktop, and can be stacked above the locker's override-redirect
    // windows.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
                   | Qt::X11BypassWindowManagerHint);
    setWindowFlag(Qt::WindowTransparentForInput, mouse == Mouse::ignores);
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
    setMouseTracking(mouse == Mouse::takes);
    setFrame(frame);
}

LockScreenPanel::~LockScreenPanel() = default;

void LockScreenPanel::setFrame(const QRect &frame)
{
    setGeometry(frame);
    setFixedSize(frame.size());
    setSceneRect(QRectF(QPointF(0, 0), frame.size()));
}

void LockScreenPanel::resizeEvent(QResizeEvent *event)
{
    setSceneRect(QRectF(QPointF(0, 0), event->size()));
    QGraphicsView::resizeEvent(event);
}
