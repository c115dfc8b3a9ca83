#pragma once

#include <QList>
#include <QRect>
#include <QRectF>
#include <QString>

#include <functional>
#include <optional>

// The displays of the desktop. Rectangles are in the desktop's global
// coordinates, logical pixels, origin at the top left (Qt's).
class Screens {
public:
    struct Screen {
        // Stable across runs for the same display on the same connector, and
        // unique among the current screens.
        QString identifier;
        QRect frame;
        // The frame less the space that panels and docks reserve; a top panel
        // makes its top edge lower than the frame's.
        QRect visibleFrame;
        // Device pixels per logical pixel.
        double backingScaleFactor = 1;
        // A camera housing cut into the top edge: the height it takes and the
        // two strips of the top edge left and right of it. Linux has no way to
        // report one, so only a described screen (a fake) has them.
        double safeAreaTopInset = 0;
        std::optional<QRectF> auxiliaryTopLeftArea;
        std::optional<QRectF> auxiliaryTopRightArea;

        bool operator==(const Screen &) const = default;
    };
    using Handler = std::function<void()>;

    virtual ~Screens() = default;

    // Every screen, the primary one (the one with the top panel) first.
    virtual QList<Screen> screens() const = 0;

    // Calls `handler` on the main thread after screens were added or removed
    // or one changed its frame, visible frame or scale; a burst of changes
    // gives one call. The observation lasts as long as this object.
    virtual void observeChanges(Handler handler) = 0;
};
