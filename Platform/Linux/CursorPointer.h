#pragma once

#include "Platform/Pointer.h"

// The pointer as the Qt platform (X11) reports it. Needs a QGuiApplication.
class CursorPointer final : public Pointer {
public:
    std::optional<QPoint> position() const override;
};
