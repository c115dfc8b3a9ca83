#pragma once

#include "Platform/Screens.h"

#include <vector>

// Screens a test describes, possibly with a camera housing. setScreens()
// replaces them and tells the observers at once, like a display plugged in
// or out.
class FakeScreens final : public Screens {
public:
    QList<Screen> screens() const override { return m_screens; }
    void observeChanges(Handler handler) override { m_handlers.push_back(std::move(handler)); }

    void setScreens(const QList<Screen> &screens)
    {
        m_screens = screens;
        const auto handlers = m_handlers;
        for (const Handler &handler : handlers)
            handler();
    }

    // A screen at `frame` whose top panel is `topPanelHeight` high.
    static Screen screen(const QString &identifier, const QRect &frame, int topPanelHeight, double scale = 1)
    {
        Screen described;
        described.identifier = identifier;
        described.frame = frame;
        described.visibleFrame = frame.adjusted(0, topPanelHeight, 0, 0);
        described.backingScaleFactor = scale;
        return described;
    }

    // The same with a camera housing of `notchWidth` × `notchHeight` in the
    // middle of its top edge, reported as a safe-area inset and the two strips
    // beside it.
    static Screen notchedScreen(const QString &identifier, const QRect &frame, int topPanelHeight, double notchWidth, double notchHeight)
    {
        Screen described = screen(identifier, frame, topPanelHeight);
        const double side = (frame.width() - notchWidth) / 2;
        described.safeAreaTopInset = notchHeight;
        described.auxiliaryTopLeftArea = QRectF(frame.x(), frame.y(), side, notchHeight);
        described.auxiliaryTopRightArea = QRectF(frame.x() + side + notchWidth, frame.y(), side, notchHeight);
        return described;
    }

private:
    QList<Screen> m_screens;
    std::vector<Handler> m_handlers;
};
