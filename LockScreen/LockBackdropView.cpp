#include "LockScreen/LockBackdropView.h"

#include "App/AppModel.h"
#include "LockScreen/BlurBackdrop.h"
#include "LockScreen/LockClockView.h"
#include "LockScreen/LockScreenState.h"
#include "LockScreen/LyricsView.h"
#include "Platform/WindowServer.h"
#include "Support/Easing.h"

#include <QEvent>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <algorithm>

double LockBackdropView::clockTop(const QSizeF &size)
{
    return 0.08 * size.height();
}

QRectF LockBackdropView::lyricsBand(const QSizeF &size, bool showLyrics, double playerBottomInset, double widgetsHeight)
{
    const double width = std::min(0.62 * size.width(), 780.0);
    const double top = clockTop(size) + (showLyrics ? 120 : 190);
    const double height = std::max(120.0, size.height() - top - (playerBottomInset + widgetsHeight + 36));
    return QRectF((size.width() - width) / 2, top, width, height);
}

LockBackdropView::LockBackdropView(LockScreenState &state, AppModel &model, QSizeF size, Role role, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_state(state)
    , m_model(model)
    , m_size(size)
    , m_role(role)
    , m_blur(new BlurBackdrop(size, {}, this))
    , m_lyricsAnimation(model.services().scheduler, lyricsAnimationDuration, [this] { applyLyricsProgress(); })
{
    setFlag(ItemHasNoContents);
    if (role == Role::secondary)
        return;
    m_blur->setCutouts(state.loginItems());
    m_loginItemsNotifier = state.bindableLoginItems().addNotifier([this] { m_blur->setCutouts(m_state.loginItems()); });

    m_clock = new LockClockView(model.services().scheduler, size.width(), this);
    m_clock->setPos(0, clockTop(size));

    m_showLyricsNotifier = state.bindableShowLyrics().addNotifier([this] { showLyricsChanged(); });
    m_insetNotifier = state.bindablePlayerBottomInset().addNotifier([this] { layoutLyrics(); });
    m_widgetsNotifier = state.bindableWidgetsHeight().addNotifier([this] { layoutLyrics(); });
    // The state at creation shows at once.
    m_lyricsFrom = m_lyricsTarget = state.showLyrics() ? 1 : 0;
    showLyricsChanged();
}

LockBackdropView::~LockBackdropView() = default;

double LockBackdropView::lyricsProgress() const
{
    return m_lyricsFrom + (m_lyricsTarget - m_lyricsFrom) * Easing::easeInOut(m_lyricsAnimation.linearProgress());
}

void LockBackdropView::showLyricsChanged()
{
    const double target = m_state.showLyrics() ? 1 : 0;
    if (target == 1 && !m_lyrics) {
        m_lyrics = new LyricsView(m_model, QSizeF(), this);
        layoutLyrics();
    }
    if (target != m_lyricsTarget) {
        m_lyricsFrom = lyricsProgress();
        m_lyricsTarget = target;
        m_lyricsAnimation.start();
    }
    applyLyricsProgress();
}

void LockBackdropView::layoutLyrics()
{
    if (!m_lyrics)
        return;
    // A band that fades out keeps the place it had while shown.
    const QRectF band = lyricsBand(m_size, true, m_state.playerBottomInset(), m_state.widgetsHeight());
    m_lyrics->setSize(band.size());
    m_lyrics->setPos(band.topLeft());
    m_lyrics->setTransformOriginPoint(band.width() / 2, band.height() / 2);
}

void LockBackdropView::applyLyricsProgress()
{
    const double progress = lyricsProgress();
    if (m_clock)
        m_clock->setCompactness(progress);
    if (!m_lyrics)
        return;
    if (progress <= 0 && m_lyricsTarget == 0) {
        delete m_lyrics.data();
        return;
    }
    m_lyrics->setOpacity(progress);
    m_lyrics->setScale(lyricsHiddenScale + (1 - lyricsHiddenScale) * progress);
}

QVariant LockBackdropView::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemSceneHasChanged && scene()) {
        // The panel's show event comes before its window appears: the moment
        // to take what lies beneath it.
        for (QGraphicsView *view : scene()->views())
            view->installEventFilter(this);
    }
    return QGraphicsObject::itemChange(change, value);
}

bool LockBackdropView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        auto *panel = qobject_cast<QWidget *>(watched);
        if (panel && panel->isWindow() && !m_model.services().windowServer.hasCompositor())
            grabBeneath(*panel);
    }
    return QGraphicsObject::eventFilter(watched, event);
}

void LockBackdropView::grabBeneath(const QWidget &panel)
{
    const QRect frame = panel.geometry();
    QScreen *screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        return;
    const QRect area = frame.translated(-screen->geometry().topLeft());
    m_blur->setBeneath(screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage());
}
