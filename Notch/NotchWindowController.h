#pragma once

#include "Notch/NotchViewModel.h"
#include "Platform/Screens.h"
#include "Support/Scheduler.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QPropertyNotifier>

#include <functional>
#include <memory>
#include <optional>

class AppModel;
class NotchPanel;
class NotchRootView;
class NotchShapeLayers;
class QGraphicsScene;
class QMenu;

// The notch of one screen: its panel, the panel's view model, and the
// pointer rules that open and close it. The panel lets clicks through except
// while the pointer is over the current silhouette (hovering); hovering opens
// the panel after a delay (or a click does, when opening on hover is off),
// leaving closes it, and the volume mixer opens and closes on its own rules.
//
// While clicks pass through, no pointer events reach the app, so the pointer
// is read when it moves (at most as often as the rates below: often while it
// is near the panel, rarely when it is elsewhere), or, where the pointer
// cannot report motion, polled at those rates.
class NotchWindowController : public QObject {
    Q_OBJECT
public:
    // Below the panel, pointer positions are still examined this far down.
    static constexpr double bandBelowPanel = 4;
    // Leaving the silhouette closes the open panel after this delay...
    static constexpr double closeDelay = 0.15;
    // ...and the mixer after this one.
    static constexpr double mixerCloseDelay = 0.25;
    static constexpr double nearPollInterval = 1.0 / 60;
    static constexpr double farPollInterval = 0.25;

    NotchWindowController(const Screens::Screen &screen, AppModel &app);
    ~NotchWindowController() override;

    // Supplies the right-click menu; set once at launch. No menu while unset
    // or while it gives none.
    static std::function<QMenu *()> contextMenu;
    // The controller whose panel last showed the right-click menu.
    static QPointer<NotchWindowController> menuOwner;

    const Screens::Screen &screen() const { return m_screen; }
    NotchViewModel &viewModel() { return *m_viewModel; }
    NotchPanel &panel() { return *m_panel; }
    bool isHovering() const { return m_hovering; }

    // Closes the mixer, stops following the pointer and closes the panel.
    void close();
    // Full-screen suppression: closes everything and lets every click through.
    void setSuppressed(bool suppressed);
    // Opens the mixer pinned: hovering then opens the mixer instead of the
    // open panel, until its close button unpins it.
    void openMixer();
    void setMixerOpen(bool open);

private:
    void closePinnedMixer();
    void open();
    void mouseMoved();
    void mouseDown();
    bool rightMouseDown(const QPoint &globalPosition);
    void setHovering(bool hovering);
    void releaseBannerHover();
    void schedule(double after, std::function<void()> action);
    void startMouseMonitoring();
    void pollPointer();
    void pointerMoved();
    double pollInterval() const;
    bool isNearPanel(const QPoint &position) const;
    bool holdsMixerForDebugging() const;
    void updateWindowShape();

    const Screens::Screen m_screen;
    AppModel &m_app;
    Scheduler &m_scheduler;
    std::unique_ptr<NotchViewModel> m_viewModel;
    std::unique_ptr<QGraphicsScene> m_scene;
    std::unique_ptr<NotchShapeLayers> m_shapes;
    NotchRootView *m_rootView = nullptr;
    std::unique_ptr<NotchPanel> m_panel;
    bool m_hovering = false;
    // The banner centre was told that its banner is hovered.
    bool m_hoversBanner = false;
    Delay m_hoverWork;
    Delay m_mixerCloseWork;
    RepeatingTimer m_pointerPoll;
    // Following motion: reads wait for the rate's interval after the last.
    bool m_followsMotion = false;
    bool m_motionPending = false;
    bool m_closed = false;
    Delay m_motionThrottle;
    std::optional<QPoint> m_lastPointer;
    QPropertyNotifier m_suppressedNotifier;
};
