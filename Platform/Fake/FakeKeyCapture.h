#pragma once

#include "Platform/KeyCapture.h"

#include <QHash>
#include <QList>

#include <algorithm>

// Key capture driven by a test: press() plays a key press through the
// handler of its grab. Combinations in `heldElsewhere` cannot be grabbed; a
// key held elsewhere with any modifiers cannot be taken with any modifiers.
class FakeKeyCapture final : public KeyCapture {
public:
    std::optional<Grab> grab(const KeyCombination &combination, Handler handler) override
    {
        if (heldElsewhere.contains(combination))
            return std::nullopt;
        return add(combination.key, combination.modifiers, [handler = std::move(handler)](const KeyPress &) { return handler(); });
    }
    std::optional<Grab> grabAnyModifiers(Qt::Key key, PressHandler handler) override
    {
        if (std::any_of(heldElsewhere.cbegin(), heldElsewhere.cend(), [key](const KeyCombination &held) { return held.key == key; }))
            return std::nullopt;
        return add(key, std::nullopt, std::move(handler));
    }
    void release(Grab grab) override { m_grabs.remove(grab); }

    // None when no grab holds the combination (the press went elsewhere). A
    // grab of the exact modifiers goes before one of any modifiers.
    std::optional<KeyHandling> press(const KeyCombination &combination)
    {
        const Entry *match = nullptr;
        for (const Entry &entry : std::as_const(m_grabs)) {
            if (entry.key == combination.key && (!entry.modifiers || *entry.modifiers == combination.modifiers)) {
                if (!match || entry.modifiers)
                    match = &entry;
            }
        }
        if (!match)
            return std::nullopt;
        const PressHandler handler = match->handler;
        return handler(KeyPress{combination.modifiers});
    }

    int grabCount() const { return int(m_grabs.size()); }
    // The grabs of exactly this combination.
    int grabCount(const KeyCombination &combination) const
    {
        return int(std::count_if(m_grabs.cbegin(), m_grabs.cend(),
                                 [&](const Entry &entry) { return entry.key == combination.key && entry.modifiers == combination.modifiers; }));
    }

    QList<KeyCombination> heldElsewhere;

private:
    struct Entry {
        Qt::Key key;
        // None: any modifiers.
        std::optional<Qt::KeyboardModifiers> modifiers;
        PressHandler handler;
    };
    std::optional<Grab> add(Qt::Key key, std::optional<Qt::KeyboardModifiers> modifiers, PressHandler handler)
    {
        const Grab id = m_next++;
        m_grabs.insert(id, Entry{key, modifiers, std::move(handler)});
        return id;
    }

    Grab m_next = 1;
    QHash<Grab, Entry> m_grabs;
};
