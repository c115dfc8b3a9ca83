#pragma once

#include "Platform/KeyCapture.h"

#include <QHash>
#include <QList>

#include <algorithm>

// Key capture driven by a test: press() decides a key press as the capture's
// thread would and hands it to the handler of its grab at once, in the
// test's thread. Combinations in `heldElsewhere` cannot be grabbed; a key
// held elsewhere with any modifiers cannot be taken with any modifiers.
class FakeKeyCapture final : public KeyCapture {
public:
    std::optional<Grab> grab(const KeyCombination &combination, Handler handler) override
    {
        if (heldElsewhere.contains(combination))
            return std::nullopt;
        return add(combination.key, combination.modifiers, [](const KeyPress &) { return KeyHandling::Handled; },
                   [handler = std::move(handler)](const KeyPress &, KeyHandling) { handler(); });
    }
    std::optional<Grab> grabAnyModifiers(Qt::Key key, Decision decision, PressHandler handler) override
    {
        if (std::any_of(heldElsewhere.cbegin(), heldElsewhere.cend(), [key](const KeyCombination &held) { return held.key == key; }))
            return std::nullopt;
        return add(key, std::nullopt, std::move(decision), std::move(handler));
    }
    void release(Grab grab) override { m_grabs.remove(grab); }
    bool canGrabAnyModifiers(Qt::Key key) override
    {
        return isTaken(key) || std::none_of(heldElsewhere.cbegin(), heldElsewhere.cend(), [key](const KeyCombination &held) { return held.key == key; });
    }

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
        const KeyPress press{combination.modifiers};
        const KeyHandling handling = match->decision(press);
        // The handler may release this very grab; it runs on a copy.
        const PressHandler handler = match->handler;
        handler(press, handling);
        return handling;
    }

    int grabCount() const { return int(m_grabs.size()); }
    // The grabs of exactly this combination.
    int grabCount(const KeyCombination &combination) const
    {
        return int(std::count_if(m_grabs.cbegin(), m_grabs.cend(),
                                 [&](const Entry &entry) { return entry.key == combination.key && entry.modifiers == combination.modifiers; }));
    }
    // Whether `key` is grabbed with any modifiers.
    bool isTaken(Qt::Key key) const
    {
        return std::any_of(m_grabs.cbegin(), m_grabs.cend(), [key](const Entry &entry) { return entry.key == key && !entry.modifiers; });
    }

    QList<KeyCombination> heldElsewhere;

private:
    struct Entry {
        Qt::Key key;
        // None: any modifiers.
        std::optional<Qt::KeyboardModifiers> modifiers;
        Decision decision;
        PressHandler handler;
    };
    std::optional<Grab> add(Qt::Key key, std::optional<Qt::KeyboardModifiers> modifiers, Decision decision, PressHandler handler)
    {
        const Grab id = m_next++;
        m_grabs.insert(id, Entry{key, modifiers, std::move(decision), std::move(handler)});
        return id;
    }

    Grab m_next = 1;
    QHash<Grab, Entry> m_grabs;
};
