#pragma once

#include "Rendering.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QTest>

// A scene shown in an offscreen view, for ui tests that render items and
// click, hover and drag on them in scene coordinates.
class SceneDriver {
public:
    SceneDriver()
    {
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setAlignment(Qt::AlignLeft | Qt::AlignTop);
        view.setFrameShape(QFrame::NoFrame);
    }

    // Shows `area` of the scene in the view, one pixel per unit.
    void show(const QRectF &area)
    {
        scene.setSceneRect(area);
        view.resize(area.size().toSize());
        view.show();
    }

    QImage render(const QRectF &area) { return Rendering::renderOnBlack(scene, area); }

    QPoint at(const QPointF &scenePoint) const { return view.mapFromScene(scenePoint); }
    void click(const QPointF &point) { QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at(point)); }
    void press(const QPointF &point) { QTest::mousePress(view.viewport(), Qt::LeftButton, {}, at(point)); }
    void release(const QPointF &point) { QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, at(point)); }
    // A move with the left button held (QTest::mouseMove sends no buttons).
    void drag(const QPointF &point)
    {
        QMouseEvent move(QEvent::MouseMove, at(point), view.viewport()->mapToGlobal(at(point)), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(view.viewport(), &move);
    }
    void hover(const QPointF &point) { QTest::mouseMove(view.viewport(), at(point)); }

    QGraphicsScene scene;
    QGraphicsView view{&scene};
};
