#pragma once

#include "Notch/NotchGeometry.h"
#include "Notch/NotchMetrics.h"
#include "Platform/Screens.h"

#include <QList>
#include <QRect>

#include <memory>
#include <optional>

class AppModel;
class LockScreenPanel;
class NotchShapeLayers;
class ObservationLoop;

// While the session is locked and the output or the microphone is muted, a
// notch-shaped panel at the top of the notch screen, above the locker, shows
// the muted icons and "Mudo". The lock-screen controller sets `locked` and
// then shows or hides it; in between it follows the mute models and the icon
// settings by itself. Main thread only.
class LockMuteIndicator {
public:
    // The silhouette is the notch widened by this much on each side.
    static constexpr double sideGrowth = 64;

    // Where the panel goes and the silhouette it draws, in the desktop's
    // global coordinates (origin top-left).
    struct Layout {
        QRect frame;
        // The silhouette in the panel: the widened notch, hanging from the
        // top inset.
        NotchGeometry shape;
        // Where the row goes in the panel.
        QRectF content;
        bool operator==(const Layout &) const = default;
    };
    static Layout layout(const Screens::Screen &screen, const NotchMetrics &metrics);
    // The first screen with a camera housing, else the first screen.
    static std::optional<Screens::Screen> notchScreen(const QList<Screens::Screen> &screens);

    explicit LockMuteIndicator(AppModel &model);
    ~LockMuteIndicator();
    LockMuteIndicator(const LockMuteIndicator &) = delete;
    LockMuteIndicator &operator=(const LockMuteIndicator &) = delete;

    bool isLocked() const { return m_locked; }
    void setLocked(bool locked) { m_locked = locked; }

    // Locked, and a muted device whose icon is turned on.
    bool wantsIndicator() const;
    // Builds and shows the panel unless it exists; nothing without a screen.
    void show();
    void hide();
    // The panel while it is shown.
    LockScreenPanel *panel() const { return m_panel.get(); }

private:
    AppModel &m_model;
    bool m_locked = false;
    // The panel's scene owns the silhouette's items; the layers that set
    // them outlive the panel (members end in reverse order).
    std::unique_ptr<NotchShapeLayers> m_shapes;
    std::unique_ptr<LockScreenPanel> m_panel;
    std::unique_ptr<ObservationLoop> m_observation;
};
