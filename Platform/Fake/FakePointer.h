#pragma once

#include "Platform/Pointer.h"

// A pointer a test moves by setting `at` (and, when it reports motion, by
// move()); counts how often it was read.
class FakePointer final : public Pointer {
public:
    std::optional<QPoint> position() const override
    {
        ++reads;
        return at;
    }
    bool observeMotion(std::function<void()> handler) override
    {
        if (!reportsMotion)
            return false;
        m_motion = std::move(handler);
        return true;
    }

    void move(const QPoint &to)
    {
        at = to;
        if (m_motion)
            m_motion();
    }

    std::optional<QPoint> at;
    mutable int reads = 0;
    // Whether observeMotion takes a handler; a polled pointer otherwise.
    bool reportsMotion = false;

private:
    std::function<void()> m_motion;
};
