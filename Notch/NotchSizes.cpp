#include "Notch/NotchSizes.h"

#include <algorithm>
#include <cmath>

namespace {
// The widest open panel the settings allow (openWidth 170).
constexpr qreal widestOpenFactor = 1.7;
} // namespace

NotchSizes::NotchSizes(const NotchMetrics &metrics, const Inputs &inputs)
    : m_metrics(metrics)
    , m_inputs(inputs)
{
}

NotchSizes::Radii NotchSizes::radii(NotchState state) const
{
    const qreal h = m_metrics.notchSize.height();
    switch (state.value()) {
    case NotchState::Case::closed:
        return {6, m_metrics.isPill ? h * 0.5 : std::min(h * 0.34, 12.0)};
    case NotchState::Case::compact:
        return {6, m_metrics.isPill ? h * 0.5 : std::min(h * 0.38, 13.0)};
    case NotchState::Case::banner:
        return {12, 26};
    case NotchState::Case::mixer:
        return {12, 22};
    case NotchState::Case::peek:
        return {6, 16};
    case NotchState::Case::open:
        return {14, 30};
    }
    return {};
}

QSizeF NotchSizes::shapeSize(NotchState state) const
{
    const QSizeF notch = m_metrics.notchSize;
    switch (state.value()) {
    case NotchState::Case::closed:
        return notch;
    case NotchState::Case::compact:
        return QSizeF(notch.width() + 2 * compactSideWidth(state.kind()), notch.height());
    case NotchState::Case::peek:
        return peekSize();
    case NotchState::Case::open:
        return openSize(m_inputs.openWidth / 100);
    case NotchState::Case::banner:
        return bannerSize();
    case NotchState::Case::mixer:
        return mixerSize();
    }
    return {};
}

qreal NotchSizes::compactSideWidth(CompactKind kind) const
{
    switch (kind) {
    case CompactKind::timer:
        return 72;
    case CompactKind::micMuted:
        return 64;
    case CompactKind::event:
    case CompactKind::reminder:
        return 96;
    case CompactKind::alert:
        return m_inputs.alertSideWidth.value_or(90);
    case CompactKind::media:
        return mediaSideWidth();
    }
    return 0;
}

qreal NotchSizes::mediaSideWidth() const
{
    // The artwork square plus its margins; wider when the countdown or the
    // event progress shares the right-hand strip.
    const qreal artwork = std::max(m_metrics.notchSize.height() - 10, 16.0);
    const qreal side = artwork + 16;
    if (m_inputs.showsEventCountdown && m_inputs.showsMedia)
        return std::max(side, 54.0);
    if (m_inputs.showsEventProgress && m_inputs.showsMedia)
        return std::max(side, 66.0);
    return side;
}

QSizeF NotchSizes::peekSize() const
{
    const QSizeF notch = m_metrics.notchSize;
    return QSizeF(std::max(notch.width() + 2 * mediaSideWidth(), notch.width() + 90), notch.height() + 26);
}

QSizeF NotchSizes::openSize(qreal widthFactor) const
{
    const QSizeF notch = m_metrics.notchSize;
    const bool twoColumns = m_inputs.opensPlayer && m_inputs.opensCalendar;
    const qreal base = twoColumns ? 490 : 340;
    const qreal extra = twoColumns ? 250 : 130;
    const qreal width = std::round(widthFactor * std::max(base, notch.width() + extra));
    const qreal height = notch.height() + 150 + (m_inputs.showsClaudeUsage ? 60 : 0);
    return QSizeF(width, height);
}

QSizeF NotchSizes::bannerSize() const
{
    const QSizeF notch = m_metrics.notchSize;
    const qreal wanted = std::round(std::max(notch.width() + 190, 380.0) * m_inputs.openWidth / 100);
    return QSizeF(std::min(wanted, openSize(m_inputs.openWidth / 100).width()), notch.height() + 72);
}

QSizeF NotchSizes::mixerSize() const
{
    const QSizeF notch = m_metrics.notchSize;
    const qsizetype rows = std::clamp<qsizetype>(m_inputs.mixerApplicationCount, 1, 4);
    return QSizeF(std::max(notch.width() + 220, 420.0), notch.height() + 47 + 32 * qreal(rows));
}

QSizeF NotchSizes::windowSize() const
{
    const QSizeF notch = m_metrics.notchSize;
    const QSizeF open = openSize(widestOpenFactor);
    // w + 260 leaves room for side strips of 130; the open height keeps room
    // for the usage card that may appear after the panel was sized.
    const qreal width = std::ceil(std::max(open.width(), notch.width() + 260) + 96);
    const qreal openHeight = open.height() + (m_inputs.showsClaudeUsage ? 0 : 74);
    const qreal height = std::ceil(m_metrics.topInset + openHeight + 48);
    return QSizeF(width, height);
}
