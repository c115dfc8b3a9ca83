#include "Notch/NotchRootView.h"

#include "Alerts/AlertStripViews.h"
#include "Alerts/BannerViews.h"
#include "Alerts/TimerCompactContent.h"
#include "App/AppModel.h"
#include "Notch/CompactNotchContent.h"
#include "Notch/EventProgressCompactContent.h"
#include "Notch/MicMutedCompactContent.h"
#include "Notch/MixerContent.h"
#include "Notch/NotchShapeLayers.h"
#include "Notch/NotchViewModel.h"
#include "Notch/OpenNotchContent.h"
#include "Notch/PeekContent.h"
#include "Notch/ReminderCompactContent.h"
#include "Support/Easing.h"
#include "Support/Spring.h"

#include <QGraphicsBlurEffect>

#include <algorithm>

namespace {

constexpr double frameInterval = 1.0 / 60;
// The leaving content shrinks to 0.88 from the top and blurs by up to 6.
constexpr double leavingShrink = 0.12;
constexpr double leavingBlur = 6;
// New compact content starts blurred by 4; new expanded content at 0.94.
constexpr double compactRevealBlur = 4;
constexpr double revealScale = 0.94;

// The springs of expanded content, as the silhouette's morph uses.
const Spring openSpring(0.48, 0.8);

// The content view of a state, framed to the state's size.
template <typename Content>
std::function<void(const QSizeF &)> addContent(AppModel &app, double notchHeight, QGraphicsItem *frame)
{
    auto *content = new Content(app, notchHeight, frame);
    return [content](const QSizeF &size) { content->setSize(size); };
}

// The same for contents that read the panel's view model.
template <typename Content>
std::function<void(const QSizeF &)> addContent(NotchViewModel &viewModel, QGraphicsItem *frame)
{
    auto *content = new Content(viewModel, frame);
    return [content](const QSizeF &size) { content->setSize(size); };
}

// A plain holder of children that draws nothing itself.
class Holder final : public QGraphicsObject {
public:
    explicit Holder(QGraphicsItem *parent)
        : QGraphicsObject(parent)
    {
        setFlag(ItemHasNoContents);
    }
    QRectF boundingRect() const override { return {}; }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}
};

} // namespace

NotchRootView::NotchRootView(NotchViewModel &viewModel, Scheduler &scheduler, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_viewModel(viewModel)
    , m_scheduler(scheduler)
    , m_state(viewModel.state())
    , m_leaveWork(scheduler)
    , m_frames(scheduler)
{
    setFlag(ItemHasNoContents);
    m_container = new Holder(this);
    // Below a floating pill's gap.
    m_container->setPos(0, viewModel.metrics().topInset);
    if (viewModel.shapes) {
        const QRectF area = viewModel.shapes->contentView()->boundingRect();
        m_container->setTransformOriginPoint(area.width() * 0.5, 0);
    }
    m_containerBlur = new QGraphicsBlurEffect;
    m_containerBlur->setBlurHints(QGraphicsBlurEffect::PerformanceHint);
    m_containerBlur->setEnabled(false);
    m_container->setGraphicsEffect(m_containerBlur);

    m_geometry.setBinding([this] { return geometryOf(m_viewModel.state()); });
    AppModel &app = viewModel.app();
    m_outlineWanted.setBinding([this, &app] {
        return outlineWanted(app.preferences.contrastOutline.value(), m_viewModel.state(), m_viewModel.metrics().hasHardwareNotch);
    });
    m_lastGeometry = m_geometry.value();

    // The first appearance applies the geometry without a morph and shows
    // the content without a transition.
    if (NotchShapeLayers *shapes = viewModel.shapes) {
        shapes->set(m_lastGeometry);
        shapes->setShadowVisible(isExpanded(m_state));
        shapes->setOutlineVisible(m_outlineWanted.value());
    }
    showDisplayedState(Phase::shown);

    m_geometryNotifier = m_geometry.addNotifier([this] {
        const NotchGeometry from = m_lastGeometry;
        m_lastGeometry = m_geometry.value();
        geometryChanged(from, m_lastGeometry);
    });
    m_stateNotifier = viewModel.bindableState().addNotifier([this] {
        const NotchState from = m_state;
        m_state = m_viewModel.state();
        stateChanged(from, m_state);
    });
    m_outlineNotifier = m_outlineWanted.addNotifier([this] {
        if (m_viewModel.shapes)
            m_viewModel.shapes->setOutlineVisible(m_outlineWanted.value());
    });
    m_suppressedNotifier = viewModel.bindableIsSuppressed().addNotifier([this] {
        const bool suppressed = m_viewModel.isSuppressed();
        if (m_viewModel.shapes)
            m_viewModel.shapes->setVisible(!suppressed);
        // A fade that interrupts another starts from the opacity on screen.
        m_suppressionFrom = suppressionOpacity();
        m_suppressionTarget = suppressed ? 0 : 1;
        m_suppressionStart = m_scheduler.monotonicNow();
        startFrames();
    });
}

NotchRootView::~NotchRootView() = default;

bool NotchRootView::isExpanded(NotchState state)
{
    switch (state.value()) {
    case NotchState::Case::banner:
    case NotchState::Case::mixer:
    case NotchState::Case::peek:
    case NotchState::Case::open:
        return true;
    case NotchState::Case::closed:
    case NotchState::Case::compact:
        return false;
    }
    return false;
}

NotchRootView::LeaveChange NotchRootView::leaveChange(NotchState from, qreal fromHeight, qreal toHeight, bool isHolding)
{
    if (isExpanded(from) && toHeight < fromHeight - 0.5)
        return LeaveChange::hold;
    return isHolding ? LeaveChange::release : LeaveChange::none;
}

NotchRootView::BlurChange NotchRootView::blurChange(qreal oldHeight, qreal newHeight, qreal currentBlur)
{
    if (oldHeight + 0.5 < newHeight)
        return BlurChange::start;
    if (newHeight < oldHeight - 0.5 && currentBlur != 0)
        return BlurChange::clear;
    return BlurChange::none;
}

bool NotchRootView::outlineWanted(bool contrastOutline, NotchState state, bool hasHardwareNotch)
{
    // The closed silhouette over a camera housing lies on the housing itself.
    return contrastOutline && (state != NotchState::closed() || !hasHardwareNotch);
}

double NotchRootView::leaving(double from, double elapsed)
{
    return from + (1 - from) * Easing::easeIn(elapsed / leaveDuration);
}

double NotchRootView::contentBlur(double elapsed)
{
    return openingBlur * (1 - Easing::easeOut(elapsed / blurClearDuration));
}

double NotchRootView::revealProgress(NotchState state, double elapsed)
{
    switch (state.value()) {
    case NotchState::Case::compact:
        return Easing::easeOut(elapsed / compactRevealDuration);
    case NotchState::Case::mixer:
        return Easing::easeOut((elapsed - revealDelay) / mixerRevealDuration);
    case NotchState::Case::banner:
    case NotchState::Case::peek:
    case NotchState::Case::open:
        return openSpring.factor(elapsed - revealDelay);
    case NotchState::Case::closed:
        return 1;
    }
    return 1;
}

double NotchRootView::revealDuration(NotchState state)
{
    switch (state.value()) {
    case NotchState::Case::compact:
        return compactRevealDuration;
    case NotchState::Case::mixer:
        return revealDelay + mixerRevealDuration;
    case NotchState::Case::banner:
    case NotchState::Case::peek:
    case NotchState::Case::open:
        return revealDelay + springSettleDuration;
    case NotchState::Case::closed:
        return 0;
    }
    return 0;
}

double NotchRootView::removalOpacity(double elapsed)
{
    return 1 - Easing::easeOut(elapsed / compactRemovalDuration);
}

NotchState NotchRootView::displayedState() const
{
    return m_leavingState.value_or(m_state);
}

double NotchRootView::leavingProgress() const
{
    return m_leave ? leaving(m_leave->first, m_scheduler.secondsSince(m_leave->second)) : 0;
}

double NotchRootView::contentBlurRadius() const
{
    return m_blurStart ? contentBlur(m_scheduler.secondsSince(*m_blurStart)) : 0;
}

double NotchRootView::suppressionOpacity() const
{
    if (!m_suppressionStart)
        return m_suppressionTarget;
    const double elapsed = m_scheduler.secondsSince(*m_suppressionStart);
    return m_suppressionFrom + (m_suppressionTarget - m_suppressionFrom) * Easing::easeInOut(elapsed / suppressionFadeDuration);
}

NotchGeometry NotchRootView::geometryOf(NotchState state) const
{
    const QSizeF size = m_viewModel.shapeSize(state);
    const auto radii = m_viewModel.radii(state);
    return NotchGeometry{size.width(), size.height(), radii.top, radii.bottom};
}

void NotchRootView::geometryChanged(const NotchGeometry &from, const NotchGeometry &to)
{
    if (m_viewModel.shapes)
        m_viewModel.shapes->animate(to);
    animateBlur(from.height + 0.5 < to.height, to.height < from.height - 0.5);
    layoutEntries();
}

void NotchRootView::stateChanged(NotchState from, NotchState to)
{
    contentChanged(from, to);
    if (m_viewModel.shapes)
        m_viewModel.shapes->setShadowVisible(isExpanded(to));
}

void NotchRootView::contentChanged(NotchState from, NotchState to)
{
    m_leaveWork.cancel();
    const bool isHolding = m_leavingState || leavingProgress() != 0;
    switch (leaveChange(from, m_viewModel.shapeSize(from).height(), m_viewModel.shapeSize(to).height(), isHolding)) {
    case LeaveChange::hold:
        // A hold in progress keeps the content it holds.
        if (!m_leavingState)
            m_leavingState = from;
        m_leave = std::pair(leavingProgress(), m_scheduler.monotonicNow());
        m_leaveWork.start(holdDuration, [this] { endHold(); });
        startFrames();
        return;
    case LeaveChange::release:
        endHold();
        return;
    case LeaveChange::none:
        showDisplayedState(Phase::appearing);
        return;
    }
}

void NotchRootView::endHold()
{
    m_leave.reset();
    m_leavingState.reset();
    showDisplayedState(Phase::appearing);
    frame();
}

void NotchRootView::animateBlur(bool opening, bool closing)
{
    if (opening) {
        m_blurStart = m_scheduler.monotonicNow();
        startFrames();
    } else if (closing && m_blurStart) {
        m_blurStart.reset();
        frame();
    }
}

void NotchRootView::showDisplayedState(Phase phase)
{
    const NotchState displayed = displayedState();
    const auto current = std::find_if(m_entries.begin(), m_entries.end(), [](const Entry &entry) { return entry.phase != Phase::removing; });
    if (current != m_entries.end() && current->state == displayed)
        return;
    const MonotonicTime now = m_scheduler.monotonicNow();
    // Leaving compact content fades out; leaving expanded content goes at
    // once (a shrinking one was held until it had faded).
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->phase != Phase::removing && !isExpanded(it->state)) {
            it->phase = Phase::removing;
            it->since = now;
            ++it;
        } else if (it->phase != Phase::removing) {
            delete it->frame;
            it = m_entries.erase(it);
        } else {
            ++it;
        }
    }
    if (displayed != NotchState::closed()) {
        Entry entry = makeEntry(displayed);
        entry.phase = phase;
        entry.since = now;
        m_entries.push_back(std::move(entry));
    }
    layoutEntries();
    startFrames();
}

NotchRootView::Entry NotchRootView::makeEntry(NotchState state)
{
    Entry entry{state, nullptr, nullptr, {}, Phase::shown, {}};
    entry.frame = new Holder(m_container);
    entry.blur = new QGraphicsBlurEffect;
    entry.blur->setBlurHints(QGraphicsBlurEffect::PerformanceHint);
    entry.blur->setEnabled(false);
    entry.frame->setGraphicsEffect(entry.blur);
    AppModel &app = m_viewModel.app();
    const double notchHeight = m_viewModel.metrics().notchSize.height();
    if (state == NotchState::banner())
        entry.resize = addContent<BannerContent>(app, notchHeight, entry.frame);
    else if (state == NotchState::compact(CompactKind::alert))
        entry.resize = addContent<AlertCompactContent>(app, notchHeight, entry.frame);
    else if (state == NotchState::compact(CompactKind::timer))
        entry.resize = addContent<TimerCompactContent>(app, notchHeight, entry.frame);
    else if (state == NotchState::compact(CompactKind::media))
        entry.resize = addContent<CompactNotchContent>(m_viewModel, entry.frame);
    else if (state == NotchState::compact(CompactKind::reminder))
        entry.resize = addContent<ReminderCompactContent>(m_viewModel, entry.frame);
    else if (state == NotchState::compact(CompactKind::event))
        entry.resize = addContent<EventProgressCompactContent>(m_viewModel, entry.frame);
    else if (state == NotchState::compact(CompactKind::micMuted))
        entry.resize = addContent<MicMutedCompactContent>(m_viewModel, entry.frame);
    else if (state == NotchState::mixer())
        entry.resize = addContent<MixerContent>(m_viewModel, entry.frame);
    else if (state == NotchState::peek())
        entry.resize = addContent<PeekContent>(m_viewModel, entry.frame);
    else if (state == NotchState::open())
        entry.resize = addContent<OpenNotchContent>(app, notchHeight, entry.frame);
    return entry;
}

void NotchRootView::layoutEntries()
{
    const double width = m_viewModel.shapes ? m_viewModel.shapes->contentView()->boundingRect().width() : 0;
    for (Entry &entry : m_entries) {
        const QSizeF size = m_viewModel.shapeSize(entry.state);
        // Framed to its state's size, hung from the top centre.
        entry.frame->setPos((width - size.width()) * 0.5, 0);
        entry.frame->setTransformOriginPoint(size.width() * 0.5, 0);
        if (entry.resize)
            entry.resize(size);
    }
}

void NotchRootView::startFrames()
{
    if (!m_frames.isActive())
        m_frames.start(frameInterval, [this] { frame(); });
    frame();
}

void NotchRootView::frame()
{
    // Content of every entry.
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        const double elapsed = m_scheduler.secondsSince(it->since);
        if (it->phase == Phase::removing) {
            const double opacity = removalOpacity(elapsed);
            if (opacity <= 0) {
                delete it->frame;
                it = m_entries.erase(it);
                continue;
            }
            it->frame->setOpacity(opacity);
            it->blur->setEnabled(false);
        } else if (it->phase == Phase::appearing) {
            const double progress = revealProgress(it->state, elapsed);
            const bool compact = it->state.value() == NotchState::Case::compact;
            it->frame->setOpacity(std::clamp(progress, 0.0, 1.0));
            it->frame->setScale(compact ? 1 : revealScale + (1 - revealScale) * progress);
            it->blur->setBlurRadius(compact ? (1 - std::clamp(progress, 0.0, 1.0)) * compactRevealBlur : 0);
            it->blur->setEnabled(it->blur->blurRadius() > 0);
            if (elapsed >= revealDuration(it->state)) {
                it->phase = Phase::shown;
                it->frame->setOpacity(1);
                it->frame->setScale(1);
                it->blur->setEnabled(false);
            }
        }
        ++it;
    }

    // The whole content: the leave animation, the growth blur, suppression.
    const double leave = leavingProgress();
    const double suppression = suppressionOpacity();
    if (m_suppressionStart && m_scheduler.secondsSince(*m_suppressionStart) >= suppressionFadeDuration)
        m_suppressionStart.reset();
    m_container->setScale(1 - leavingShrink * leave);
    m_container->setOpacity((1 - leave) * suppression);
    if (m_blurStart && m_scheduler.secondsSince(*m_blurStart) >= blurClearDuration)
        m_blurStart.reset();
    const double blur = contentBlurRadius() + leavingBlur * leave;
    m_containerBlur->setBlurRadius(blur);
    m_containerBlur->setEnabled(blur > 0);

    if (!isMoving())
        m_frames.stop();
}

bool NotchRootView::isMoving() const
{
    const bool entriesMove = std::any_of(m_entries.begin(), m_entries.end(), [](const Entry &entry) { return entry.phase != Phase::shown; });
    return entriesMove || m_leave || m_blurStart || m_suppressionStart;
}
