#pragma once

#include "Platform/Backlights.h"

#include <QList>

#include <cmath>

// Displays described by a test. Writes are recorded ("intel_backlight 0.5")
// and applied at once, rounded to the display's levels when it has a
// `levelCount`; a display with `isSettable` false refuses them.
class FakeBacklights final : public Backlights {
public:
    struct Display {
        QString name;
        // None: the brightness cannot be read.
        std::optional<float> level;
        bool isBuiltIn = false;
        bool isSettable = true;
        // 0: any level.
        int levelCount = 0;
    };

    QStringList displays() const override
    {
        QStringList names;
        for (const Display &display : list)
            names << display.name;
        return names;
    }
    bool isBuiltIn(const QString &name) const override
    {
        const Display *display = find(name);
        return display && display->isBuiltIn;
    }
    std::optional<float> brightness(const QString &name) const override
    {
        const Display *display = find(name);
        return display ? display->level : std::nullopt;
    }
    int levelCount(const QString &name) const override
    {
        const Display *display = find(name);
        return display ? display->levelCount : 0;
    }
    bool setBrightness(const QString &name, float level) override
    {
        Display *display = const_cast<Display *>(find(name));
        writes << QStringLiteral("%1 %2").arg(name).arg(level);
        if (!display || !display->isSettable)
            return false;
        display->level = display->levelCount > 0 ? float(std::lround(double(level) * display->levelCount)) / float(display->levelCount) : level;
        return true;
    }

    QList<Display> list;
    QStringList writes;

private:
    const Display *find(const QString &name) const
    {
        for (const Display &display : list) {
            if (display.name == name)
                return &display;
        }
        return nullptr;
    }
};
