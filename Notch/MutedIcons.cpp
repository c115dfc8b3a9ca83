#include "Notch/MutedIcons.h"

#include "Notch/MicMutedIcon.h"
#include "Platform/Symbols.h"

#include <algorithm>

MutedIcons::MutedIcons(QGraphicsItem *parent)
    : QGraphicsObject(parent)
{
}

void MutedIcons::setMuted(bool mic, bool sound)
{
    if (mic == m_mic && sound == m_sound)
        return;
    prepareGeometryChange();
    m_mic = mic;
    m_sound = sound;
}

QSizeF MutedIcons::naturalSize() const
{
    if (m_mic && m_sound)
        return QSizeF(speakerSize + spacing + microphoneSize, microphoneSize);
    if (m_mic)
        return QSizeF(microphoneSize, microphoneSize);
    if (m_sound)
        return QSizeF(speakerSize, speakerSize);
    return {};
}

QRectF MutedIcons::speakerRect() const
{
    if (!m_sound)
        return {};
    const double height = naturalSize().height();
    return QRectF(0, (height - speakerSize) / 2, speakerSize, speakerSize);
}

QRectF MutedIcons::microphoneRect() const
{
    if (!m_mic)
        return {};
    const double left = m_sound ? speakerSize + spacing : 0;
    return QRectF(left, 0, microphoneSize, microphoneSize);
}

QRectF MutedIcons::boundingRect() const
{
    return QRectF(QPointF(), naturalSize());
}

void MutedIcons::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_sound)
        Symbols::draw(*painter, speakerRect(), QStringLiteral("speaker.slash.fill"), MicMutedIcon::red());
    if (m_mic)
        Symbols::draw(*painter, microphoneRect(), QStringLiteral("mic.slash.fill"), MicMutedIcon::red());
}
