#pragma once

#include "Platform/Pointer.h"

// A pointer a test moves by setting `at`; counts how often it was read.
class FakePointer final : public Pointer {
public:
    std::optional<QPoint> position() const override
    {
        ++reads;
        return at;
    }

    std::optional<QPoint> at;
    mutable int reads = 0;
};
