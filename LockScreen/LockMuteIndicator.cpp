#include "LockScreen/LockMuteIndicator.h"

#include "App/AppModel.h"
#include "LockScreen/LockScreenPanel.h"
#include "Notch/MicMutedCompactContent.h"
#include "Notch/NotchShapeLayers.h"
#include "Notch/NotchSizes.h"
#include "Platform/WindowServer.h"
#include "Support/Log.h"
#include "Support/Observation.h"

#include <QGraphicsObject>
#include <QRegion>

#include <cmath>

namespace {

// The panel's root: holds the silhouette's items, draws nothing itself.
class Container final : public QGraphicsObject {
public:
    explicit Container(const QSizeF &size)
        : m_size(size)
    {
        setFlag(ItemHasNoContents);
    }
    QRectF boundingRect() const override { return QRectF(QPointF(), m_size); }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}

private:
    QSizeF m_size;
};

} // namespace

LockMuteIndicator::Layout LockMuteIndicator::layout(const Screens::Screen &screen, const NotchMetrics &metrics)
{
    const double w = metrics.notchSize.width();
    const double h = metrics.notchSize.height();
    const double t = metrics.topInset;
    const double shapeWidth = w + 2 * sideGrowth;
    const int width = int(std::ceil(shapeWidth));
    const int height = int(std::ceil(t + h));
    // std::round takes halves away from zero.
    const int x = int(std::round(screen.frame.x() + screen.frame.width() / 2.0 - width / 2.0));
    // The compact notch's corners.
    const NotchSizes::Radii radii = NotchSizes(metrics, {}).radii(NotchState::compact(CompactKind::micMuted));
    return Layout{
        .frame = QRect(x, screen.frame.y(), width, height),
        .shape = NotchGeometry{.width = shapeWidth, .height = h, .top = radii.top, .bottom = radii.bottom},
        .content = QRectF((width - shapeWidth) / 2, t, shapeWidth, h),
    };
}

std::optional<Screens::Screen> LockMuteIndicator::notchScreen(const QList<Screens::Screen> &screens)
{
    for (const Screens::Screen &screen : screens) {
        if (screen.safeAreaTopInset > 0)
            return screen;
    }
    if (screens.isEmpty())
        return std::nullopt;
    return screens.first();
}

LockMuteIndicator::LockMuteIndicator(AppModel &model)
    : m_model(model)
{
    m_observation = std::make_unique<ObservationLoop>(
        model.services().scheduler,
        [&model] {
            model.outputMute.isMuted();
            model.micMute.isMuted();
            model.preferences.showSoundMutedIcon.value();
            model.preferences.showMicMutedIcon.value();
        },
        [this] {
            if (wantsIndicator())
                show();
            else
                hide();
        });
}

LockMuteIndicator::~LockMuteIndicator() = default;

bool LockMuteIndicator::wantsIndicator() const
{
    const Preferences &preferences = m_model.preferences;
    return m_locked
        && ((preferences.showSoundMutedIcon.value() && m_model.outputMute.isMuted())
            || (preferences.showMicMutedIcon.value() && m_model.micMute.isMuted()));
}

void LockMuteIndicator::show()
{
    if (m_panel)
        return;
    const std::optional<Screens::Screen> screen = notchScreen(m_model.services().screens.screens());
    if (!screen)
        return;
    const NotchMetrics metrics(*screen, m_model.preferences.simulatedStyle.value());
    const Layout layout = LockMuteIndicator::layout(*screen, metrics);

    auto *root = new Container(layout.frame.size());
    m_shapes = std::make_unique<NotchShapeLayers>(metrics, QRectF(QPointF(), layout.frame.size()), m_model.services().scheduler);
    m_shapes->backgroundView()->setParentItem(root);
    m_shapes->contentView()->setParentItem(root);
    m_shapes->set(layout.shape);
    // The compact mute strip, following the mute models and the icon
    // settings while the panel is shown.
    AppModel &model = m_model;
    auto *view = new MicMutedCompactContent(
        [&model] {
            return MicMutedCompactContent::Muted{model.preferences.showMicMutedIcon.value() && model.micMute.isMuted(),
                                                 model.preferences.showSoundMutedIcon.value() && model.outputMute.isMuted()};
        },
        m_shapes->contentView());
    view->setSize(layout.content.size());
    view->setPos(layout.content.topLeft());

    m_panel = std::make_unique<LockScreenPanel>(layout.frame, root, LockScreenPanel::Mouse::ignores);
    WindowServer &windowServer = m_model.services().windowServer;
    // Without a compositor the clear corners would be black: the window
    // takes the silhouette's shape instead.
    if (!windowServer.hasCompositor())
        m_panel->setMask(QRegion(m_shapes->silhouette().toFillPolygon().toPolygon()));
    m_panel->show();
    if (!windowServer.moveToLockScreen(*m_panel->windowHandle()))
        qCWarning(lcUi, "Quib: could not show the muted icon on the lock screen");
}

void LockMuteIndicator::hide()
{
    m_panel.reset();
    m_shapes.reset();
}
