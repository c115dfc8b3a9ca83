#pragma once

#include "Platform/Pointer.h"

#include <memory>

class XcbConnection;

// The pointer as the Qt platform (X11) reports it, and its motion from the X
// server's raw motion events (XInput 2 on the root window), so a still
// pointer costs nothing. Without an X connection or XInput 2 it cannot
// report motion. Needs a QGuiApplication.
class CursorPointer final : public Pointer {
public:
    explicit CursorPointer(XcbConnection *x11 = nullptr);
    ~CursorPointer() override;

    std::optional<QPoint> position() const override;
    bool observeMotion(std::function<void()> handler) override;

private:
    struct Motion;
    XcbConnection *m_x11;
    bool m_unsupported = false;
    std::unique_ptr<Motion> m_motion;
};
