#include "Notch/NotchMetrics.h"

#include <algorithm>

NotchMetrics::NotchMetrics(const Screens::Screen &screen, SimulatedStyle style)
{
    if (screen.safeAreaTopInset > 0 && screen.auxiliaryTopLeftArea && screen.auxiliaryTopRightArea) {
        const qreal width = screen.frame.width() - screen.auxiliaryTopLeftArea->width() - screen.auxiliaryTopRightArea->width();
        // Side strips that leave no room for a housing are not a notch; such a
        // screen gets the simulated one rather than a silhouette of no width.
        if (width > 0) {
            notchSize = QSizeF(width, screen.safeAreaTopInset);
            hasHardwareNotch = true;
            return;
        }
    }

    // The top panel's height: how far the visible frame's top edge lies below
    // the frame's (y grows downwards here).
    const qreal menuBar = screen.visibleFrame.top() - screen.frame.top();
    switch (style) {
    case SimulatedStyle::notch:
        notchSize = QSizeF(190, menuBar > 20 ? std::min<qreal>(menuBar, 38) : 32);
        break;
    case SimulatedStyle::pill:
        notchSize = QSizeF(150, menuBar > 20 ? std::max<qreal>(menuBar - 6, 20) : 24);
        isPill = true;
        topInset = 3;
        break;
    }
}
