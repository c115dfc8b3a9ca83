#include "Notch/NotchWindowController.h"

#include "App/AppModel.h"
#include "Audio/AudioMixer.h"
#include "Notch/NotchPanel.h"
#include "Notch/NotchRootView.h"
#include "Notch/NotchShapeLayers.h"
#include "Platform/Pointer.h"
#include "Platform/UserDefaults.h"
#include "Platform/WindowServer.h"

#include <QGraphicsScene>
#include <QMenu>
#include <QPointer>

#include <algorithm>
#include <cmath>

std::function<QMenu *()> NotchWindowController::contextMenu;
QPointer<NotchWindowController> NotchWindowController::menuOwner;

namespace {

// The panel hangs from the top edge of its screen, centred.
QRect panelFrame(const QRect &screen, const QSizeF &size)
{
    // std::round rounds halves away from zero.
    const double x = std::round(screen.x() + screen.width() * 0.5 - size.width() * 0.5);
    return QRect(int(x), screen.y(), int(std::ceil(size.width())), int(std::ceil(size.height())));
}

} // namespace

NotchWindowController::NotchWindowController(const Screens::Screen &screen, AppModel &app)
    : m_screen(screen)
    , m_app(app)
    , m_scheduler(app.services().scheduler)
    , m_hoverWork(m_scheduler)
    , m_mixerCloseWork(m_scheduler)
    , m_pointerPoll(m_scheduler)
    , m_motionThrottle(m_scheduler)
{
    m_viewModel = std::make_unique<NotchViewModel>(NotchMetrics(screen, app.preferences.simulatedStyle.value()), app);
    const QRect frame = panelFrame(screen.frame, m_viewModel->windowSize());

    m_scene = std::make_unique<QGraphicsScene>(QRectF(QPointF(0, 0), frame.size()));
    m_shapes = std::make_unique<NotchShapeLayers>(m_viewModel->metrics(), m_scene->sceneRect(), m_scheduler);
    m_viewModel->shapes = m_shapes.get();
    // The content lies above the silhouette.
    m_scene->addItem(m_shapes->backgroundView());
    m_scene->addItem(m_shapes->contentView());
    m_rootView = new NotchRootView(*m_viewModel, m_scheduler, m_shapes->contentView());

    // X11 has no way to keep a window out of screen captures, so the setting
    // hideFromScreenCapture has no effect on the panel.
    const auto transparency = app.services().windowServer.hasCompositor() ? NotchPanel::Transparency::translucent
                                                                          : NotchPanel::Transparency::shapedToSilhouette;
    m_panel = std::make_unique<NotchPanel>(frame, m_scene.get(), transparency);
    m_panel->onLeftMouseDown = [this] { mouseDown(); };
    m_panel->onRightMouseDown = [this](const QPoint &position) { return rightMouseDown(position); };
    m_panel->setIgnoresMouseEvents(true);
    if (transparency == NotchPanel::Transparency::shapedToSilhouette) {
        connect(m_shapes.get(), &NotchShapeLayers::silhouetteChanged, this, &NotchWindowController::updateWindowShape);
        m_suppressedNotifier = m_viewModel->bindableIsSuppressed().addNotifier([this] { updateWindowShape(); });
    }
    m_panel->show();
    updateWindowShape();

    startMouseMonitoring();
}

NotchWindowController::~NotchWindowController() = default;

void NotchWindowController::updateWindowShape()
{
    // Without a compositor a suppressed notch fading out would fade to
    // black; it goes at once instead.
    m_panel->setSilhouette(m_viewModel->isSuppressed() ? QPainterPath() : m_shapes->silhouette());
}

void NotchWindowController::startMouseMonitoring()
{
    // The pointer outlives the controller: its handler finds none once the
    // controller is gone.
    m_followsMotion = m_app.services().pointer.observeMotion([controller = QPointer(this)] {
        if (controller)
            controller->pointerMoved();
    });
    if (m_followsMotion)
        pollPointer();
    else
        m_pointerPoll.start(farPollInterval, [this] { pollPointer(); });
}

void NotchWindowController::pollPointer()
{
    const std::optional<QPoint> position = m_app.services().pointer.position();
    // Only a move counts, as with the pointer events this stands for.
    if (position != m_lastPointer) {
        m_lastPointer = position;
        if (position)
            mouseMoved();
    }
    if (!m_followsMotion && m_pointerPoll.interval() != pollInterval())
        m_pointerPoll.start(pollInterval(), [this] { pollPointer(); });
}

// A move is read at once, unless a read was less than the rate's interval
// ago: then once when that interval ends. A still pointer is never read.
void NotchWindowController::pointerMoved()
{
    if (m_closed)
        return;
    if (m_motionThrottle.isPending()) {
        m_motionPending = true;
        return;
    }
    pollPointer();
    m_motionThrottle.start(pollInterval(), [this] {
        if (std::exchange(m_motionPending, false))
            pointerMoved();
    });
}

double NotchWindowController::pollInterval() const
{
    return (m_lastPointer && isNearPanel(*m_lastPointer)) || m_hovering ? nearPollInterval : farPollInterval;
}

bool NotchWindowController::isNearPanel(const QPoint &position) const
{
    const QRect &frame = m_screen.frame;
    const double below = position.y() - frame.y();
    return below < m_panel->height() + bandBelowPanel && position.x() >= frame.x() && position.x() <= frame.x() + frame.width();
}

void NotchWindowController::mouseMoved()
{
    if (m_viewModel->isSuppressed() || !m_lastPointer)
        return;
    const QPointF position = *m_lastPointer;
    const QRect &frame = m_screen.frame;
    if (isNearPanel(m_lastPointer.value())) {
        const QSizeF size = m_viewModel->shapeSize(m_viewModel->state());
        const double inset = m_viewModel->metrics().topInset;
        const double middle = frame.x() + frame.width() * 0.5;
        const double below = position.y() - frame.y();
        // The silhouette with the gap above a floating pill and one point
        // above the screen's top edge; left and top edges belong to it.
        const bool inside = position.x() >= middle - size.width() * 0.5 && position.x() < middle + size.width() * 0.5 && below > -1
            && below <= size.height() + inset;
        setHovering(inside);
        if (inside) {
            m_mixerCloseWork.cancel();
            return;
        }
    } else {
        setHovering(false);
    }

    if (m_viewModel->isMixerOpen() && !m_mixerCloseWork.isPending() && !holdsMixerForDebugging())
        m_mixerCloseWork.start(mixerCloseDelay, [this] { setMixerOpen(false); });
}

bool NotchWindowController::holdsMixerForDebugging() const
{
    const UserDefaults &defaults = m_app.services().defaults;
    return defaults.boolForKey(QStringLiteral("debugHooks")) && defaults.boolForKey(QStringLiteral("debugHoldMixer"));
}

void NotchWindowController::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    m_panel->setIgnoresMouseEvents(!hovering);
    m_hoverWork.cancel();

    const NotchState state = m_viewModel->state();
    // A hovered banner stays until the pointer leaves it.
    m_hoversBanner = hovering && state == NotchState::banner();
    m_app.banners.setHovering(m_hoversBanner);

    const Preferences &preferences = m_app.preferences;
    if (!hovering) {
        if (m_viewModel->isMixerOpen() && !holdsMixerForDebugging())
            schedule(mixerCloseDelay, [this] { setMixerOpen(false); });
        else
            schedule(closeDelay, [this] { m_viewModel->setOpen(false); });
        return;
    }

    const auto alert = m_app.alerts.current();
    if (preferences.appMixer.value() && state == NotchState::compact(CompactKind::alert) && alert && alert->kind == AlertKind::volume) {
        setMixerOpen(true);
        return;
    }
    if (!preferences.expandOnHover.value())
        return;
    std::function<void()> action;
    if (m_viewModel->isMixerPinned()) {
        action = [this] { setMixerOpen(true); };
    } else {
        if (!preferences.opensPlayer() && !preferences.opensCalendar())
            return;
        action = [this] { open(); };
    }
    if (state == NotchState::banner() || state == NotchState::mixer())
        return;
    schedule(preferences.hoverDelay.value(), std::move(action));
}

void NotchWindowController::schedule(double after, std::function<void()> action)
{
    if (after <= 0) {
        m_hoverWork.cancel();
        action();
        return;
    }
    m_hoverWork.start(after, std::move(action));
}

void NotchWindowController::mouseDown()
{
    const Preferences &preferences = m_app.preferences;
    if (preferences.expandOnHover.value() || !m_hovering)
        return;
    if (m_viewModel->isOpen())
        return;
    if (!preferences.opensPlayer() && !preferences.opensCalendar())
        return;
    const NotchState state = m_viewModel->state();
    if (state == NotchState::banner() || state == NotchState::mixer())
        return;
    m_hoverWork.cancel();
    if (m_viewModel->isMixerPinned())
        setMixerOpen(true);
    else
        open();
}

bool NotchWindowController::rightMouseDown(const QPoint &globalPosition)
{
    if (!m_hovering || !contextMenu)
        return false;
    menuOwner = this;
    QMenu *menu = contextMenu();
    if (!menu)
        return false;
    menu->popup(globalPosition);
    return true;
}

void NotchWindowController::open()
{
    if (m_viewModel->isOpen())
        return;
    m_viewModel->setOpen(true);
    m_app.claudeUsage.refreshIfStale();
    // Haptic feedback (the setting hapticFeedback) does not exist on Linux
    // desktops; opening gives none.
}

void NotchWindowController::setMixerOpen(bool open)
{
    if (open == m_viewModel->isMixerOpen())
        return;
    m_viewModel->setMixerOpen(open);
    // The mixer keeps its list and the output volume fresh while any panel
    // shows it.
    AudioMixer &mixer = m_app.mixer;
    mixer.setVisibleCount(std::max(0, mixer.visibleCount() + (open ? 1 : -1)));
    if (mixer.visibleCount() < 1) {
        mixer.systemVolume().stopObserving();
    } else {
        mixer.systemVolume().startObserving();
        mixer.refresh();
    }
    mixer.scheduleTimer();
}

void NotchWindowController::openMixer()
{
    m_hoverWork.cancel();
    m_mixerCloseWork.cancel();
    m_viewModel->setOpen(false);
    m_viewModel->setMixerPinned(true);
    m_viewModel->closeMixer = [this] { closePinnedMixer(); };
    setMixerOpen(true);
}

void NotchWindowController::closePinnedMixer()
{
    m_viewModel->setMixerPinned(false);
    setMixerOpen(false);
    m_hoverWork.cancel();
}

void NotchWindowController::releaseBannerHover()
{
    // Dropping the hover without leaving through setHovering() must still
    // end the banner's hover, or the banner centre keeps its banner forever
    // and its queue stalls: no one else will report that the pointer left.
    if (!m_hoversBanner)
        return;
    m_hoversBanner = false;
    m_app.banners.setHovering(false);
}

void NotchWindowController::close()
{
    setMixerOpen(false);
    m_closed = true;
    m_pointerPoll.stop();
    m_motionThrottle.cancel();
    m_hoverWork.cancel();
    releaseBannerHover();
    m_panel->hide();
    m_panel->close();
}

void NotchWindowController::setSuppressed(bool suppressed)
{
    if (suppressed == m_viewModel->isSuppressed())
        return;
    m_viewModel->setSuppressed(suppressed);
    if (!suppressed)
        return;
    m_hoverWork.cancel();
    m_hovering = false;
    releaseBannerHover();
    m_viewModel->setOpen(false);
    setMixerOpen(false);
    m_panel->setIgnoresMouseEvents(true);
}
