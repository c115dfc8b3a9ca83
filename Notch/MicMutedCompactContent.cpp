#include "Notch/MicMutedCompactContent.h"

#include "Notch/MicMutedIcon.h"
#include "Notch/MutedIcons.h"
#include "Notch/NotchViewModel.h"
#include "Shared/Typography.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {

const QString word = QStringLiteral("Mudo");

QFont wordFont()
{
    return Typography::systemFont(MicMutedCompactContent::wordSize, QFont::DemiBold);
}

} // namespace

MicMutedCompactContent::MicMutedCompactContent(NotchViewModel &viewModel, QGraphicsItem *parent)
    : MicMutedCompactContent([&viewModel] { return Muted{viewModel.showsMicMuted(), viewModel.showsSoundMuted()}; }, parent)
{
}

MicMutedCompactContent::MicMutedCompactContent(std::function<Muted()> muted, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_icons(new MutedIcons(this))
{
    m_muted.setBinding(std::move(muted));
    m_mutedNotifier = m_muted.addNotifier([this] { relayout(); });
    relayout();
}

MicMutedCompactContent::~MicMutedCompactContent() = default;

void MicMutedCompactContent::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
    relayout();
}

QRectF MicMutedCompactContent::wordRect() const
{
    const double width = Typography::width(word, wordFont());
    return QRectF(m_size.width() - horizontalPadding - width, 0, width, m_size.height());
}

void MicMutedCompactContent::relayout()
{
    const Muted muted = m_muted.value();
    m_icons->setMuted(muted.mic, muted.sound);
    m_icons->setPos(horizontalPadding, (m_size.height() - m_icons->naturalSize().height()) / 2);
    update();
}

void MicMutedCompactContent::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    Typography::drawLine(*painter, wordRect(), word, wordFont(), MicMutedIcon::red(), Qt::AlignRight);
}
