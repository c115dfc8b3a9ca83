#include "Notch/PeekContent.h"

#include "App/AppModel.h"
#include "Notch/CompactNotchContent.h"
#include "Notch/NotchViewModel.h"
#include "Shared/MarqueeText.h"

#include <QGraphicsSceneMouseEvent>

PeekContent::PeekContent(NotchViewModel &viewModel, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_viewModel(viewModel)
    , m_strip(new CompactNotchContent(viewModel, this))
    , m_line(new MarqueeText(viewModel.app().services().scheduler, Qt::AlignCenter, this))
{
    // Empty areas take clicks too.
    setAcceptedMouseButtons(Qt::LeftButton);
    AppModel &app = viewModel.app();
    // Every input is read on each evaluation (a binding whose reads change
    // between evaluations trips Qt 6.4).
    m_song.setBinding([&app] {
        const std::optional<AppModel::PeekSong> demo = app.debugPeekSong();
        const auto extras = app.preferences.hideTitleExtras.value() ? NowPlayingModel::Extras::hide : NowPlayingModel::Extras::keep;
        const Song current{app.nowPlaying.displayTitle(extras), app.nowPlaying.artist()};
        return demo ? Song{demo->title, demo->artist} : current;
    });
    m_songNotifier = m_song.addNotifier([this] { showSong(); });
    showSong();
}

PeekContent::~PeekContent() = default;

void PeekContent::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
    const double notchHeight = m_viewModel.metrics().notchSize.height();
    m_strip->setSize(QSizeF(size.width(), notchHeight));
    m_line->setPos(lineHorizontalPadding, notchHeight);
    m_line->setSize(QSizeF(std::max(0.0, size.width() - 2 * lineHorizontalPadding), lineHeight));
}

void PeekContent::showSong()
{
    const Song song = m_song.value();
    // A new title or artist starts the line from rest.
    m_line->setContent(MarqueeText::songLine(song.title, song.artist), song.title + song.artist);
}

void PeekContent::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    event->accept();
}

void PeekContent::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (boundingRect().contains(event->pos()))
        m_viewModel.app().nowPlaying.openSourceApp();
}
