#pragma once

#include "Notch/NotchMetrics.h"
#include "Notch/NotchState.h"

#include <QSizeF>

#include <optional>

// The size and corner radii of every notch state of one panel, and the size
// of the panel itself. Nothing is cached: a panel builds one from its metrics
// and the current inputs at each read, so sizes follow the settings and
// models they come from.
class NotchSizes {
public:
    // What the sizes depend on besides the metrics.
    struct Inputs {
        // Width of the open panel, percent (100 to 170).
        qreal openWidth = 100;
        bool opensPlayer = true;
        bool opensCalendar = true;
        bool showsMedia = false;
        bool showsEventCountdown = false;
        bool showsEventProgress = false;
        // The usage-limit card under the calendar column.
        bool showsClaudeUsage = false;
        // Applications listed by the volume mixer.
        qsizetype mixerApplicationCount = 0;
        // Side width of the current alert strip; none while no alert is shown.
        std::optional<qreal> alertSideWidth;
    };

    struct Radii {
        // Radius of the top ears.
        qreal top = 0;
        // Radius of the bottom corners.
        qreal bottom = 0;

        bool operator==(const Radii &) const = default;
    };

    NotchSizes(const NotchMetrics &metrics, const Inputs &inputs);

    Radii radii(NotchState state) const;
    QSizeF shapeSize(NotchState state) const;
    // Width of one side strip of a compact notch.
    qreal compactSideWidth(CompactKind kind) const;
    // The panel: large enough for every state at the widest open width.
    QSizeF windowSize() const;

private:
    QSizeF openSize(qreal widthFactor) const;
    QSizeF bannerSize() const;
    QSizeF mixerSize() const;
    QSizeF peekSize() const;
    qreal mediaSideWidth() const;

    NotchMetrics m_metrics;
    Inputs m_inputs;
};
