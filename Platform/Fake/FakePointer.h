#pragma once

#include "Platform/Pointer.h"

// A pointer a test moves by setting `at`.
class FakePointer final : public Pointer {
public:
    std::optional<QPoint> position() const override { return at; }

    std::optional<QPoint> at;
};
