#include "LockScreen/LockMuteIndicator.h"

#include "App/AppModel.h"
#include "LockScreen/LockScreenPanel.h"
#include "Notch/MicMutedIcon.h"
#include "Notch/MutedIcons.h"
#include "Notch/NotchShapeLayers.h"
#include "Notch/NotchSizes.h"
#include "Platform/WindowServer.h"
#include "Shared/Typography.h"
#include "Support/Log.h"
#include "Support/Observation.h"

#include <QPainter>
#include <QRegion>

#include <cmath>

namespace {

const QString word = QStringLiteral("Mudo");

QFont wordFont()
{
    return Typography::systemFont(LockMuteView::wordSize, QFont::DemiBold);
}

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

LockMuteView::LockMuteView(AppModel &model, const QSizeF &size, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_size(size)
    , m_icons(new MutedIcons(this))
{
    m_muted.setBinding([&model] {
        return Muted{model.preferences.showMicMutedIcon.value() && model.micMute.isMuted(),
                     model.preferences.showSoundMutedIcon.value() && model.outputMute.isMuted()};
    });
    m_mutedNotifier = m_muted.addNotifier([this] { relayout(); });
    relayout();
}

LockMuteView::~LockMuteView() = default;

QRectF LockMuteView::wordRect() const
{
    const double width = Typography::width(word, wordFont());
    return QRectF(m_size.width() - horizontalPadding - width, 0, width, m_size.height());
}

void LockMuteView::relayout()
{
    const Muted muted = m_muted.value();
    m_icons->setMuted(muted.mic, muted.sound);
    m_icons->setPos(horizontalPadding, (m_size.height() - m_icons->naturalSize().height()) / 2);
    update();
}

void LockMuteView::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    Typography::drawLine(*painter, wordRect(), word, wordFont(), MicMutedIcon::red(), Qt::AlignRight);
}

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
    auto *view = new LockMuteView(m_model, layout.content.size(), m_shapes->contentView());
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
