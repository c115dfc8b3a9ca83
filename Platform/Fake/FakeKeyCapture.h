#pragma once

#include "Platform/KeyCapture.h"

#include <QHash>
#include <QList>

// Key capture driven by a test: press() plays a key press through the
// handler of its grab. Combinations in `heldElsewhere` cannot be grabbed.
class FakeKeyCapture final : public KeyCapture {
public:
    std::optional<Grab> grab(const KeyCombination &combination, Handler handler) override
    {
        if (heldElsewhere.contains(combination))
            return std::nullopt;
        const Grab id = m_next++;
        m_grabs.insert(id, {combination, std::move(handler)});
        return id;
    }
    void release(Grab grab) override { m_grabs.remove(grab); }

    // None when no grab holds the combination (the press went elsewhere).
    std::optional<KeyHandling> press(const KeyCombination &combination)
    {
        for (auto it = m_grabs.cbegin(); it != m_grabs.cend(); ++it) {
            if (it->first == combination)
                return it->second();
        }
        return std::nullopt;
    }

    int grabCount() const { return int(m_grabs.size()); }

    QList<KeyCombination> heldElsewhere;

private:
    Grab m_next = 1;
    QHash<Grab, std::pair<KeyCombination, Handler>> m_grabs;
};
