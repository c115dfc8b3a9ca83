#pragma once

#include "Platform/LoginItems.h"

#include <QList>

// Login items in memory that answer at once. A change fails with `failure`
// when it is set, leaving `enabled` as it was; every change asked for is
// recorded in `changes`.
class FakeLoginItems final : public LoginItems {
public:
    void readStatus(QObject *, std::function<void(bool)> answer) override
    {
        ++statusReads;
        answer(enabled);
    }

    void setEnabled(bool on, QObject *, std::function<void(Error)> answer) override
    {
        changes.append(on);
        if (!failure)
            enabled = on;
        answer(failure);
    }

    bool enabled = false;
    Error failure;
    QList<bool> changes;
    int statusReads = 0;
};
