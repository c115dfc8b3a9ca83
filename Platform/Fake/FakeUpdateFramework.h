#pragma once

#include "Platform/UpdateFramework.h"

// An update framework that records what it is asked; tests set its state and
// call its delegate as the real one would.
class FakeUpdateFramework final : public UpdateFramework {
public:
    void setDelegate(Delegate *newDelegate) override { delegate = newDelegate; }
    void start() override { ++starts; }
    void checkForUpdates() override { ++userChecks; }
    void checkForUpdatesInBackground() override { ++backgroundChecks; }
    std::optional<QDateTime> lastUpdateCheckDate() const override { return lastCheck; }
    bool automaticallyChecksForUpdates() const override { return automaticChecks; }
    void setAutomaticallyChecksForUpdates(bool on) override { automaticChecks = on; }
    bool automaticallyDownloadsUpdates() const override { return automaticDownloads; }
    void setAutomaticallyDownloadsUpdates(bool on) override { automaticDownloads = on; }

    Delegate *delegate = nullptr;
    int starts = 0;
    int userChecks = 0;
    int backgroundChecks = 0;
    std::optional<QDateTime> lastCheck;
    bool automaticChecks = true;
    bool automaticDownloads = false;
};
