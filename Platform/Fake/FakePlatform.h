#pragma once

#include "Platform/Fake/FakeAudioSystem.h"
#include "Platform/Fake/FakeBacklights.h"
#include "Platform/Fake/FakeBluetooth.h"
#include "Platform/Fake/FakeCredentials.h"
#include "Platform/Fake/FakeDistributedNotifications.h"
#include "Platform/Fake/FakeEventStore.h"
#include "Platform/Fake/FakeKeyCapture.h"
#include "Platform/Fake/FakeLocationProvider.h"
#include "Platform/Fake/FakeLoginItems.h"
#include "Platform/Fake/FakePointer.h"
#include "Platform/Fake/FakePowerSources.h"
#include "Platform/Fake/FakeScreens.h"
#include "Platform/Fake/FakeSessionBus.h"
#include "Platform/Fake/FakeSessionLock.h"
#include "Platform/Fake/FakeSoundPlayer.h"
#include "Platform/Fake/FakeUpdateFramework.h"
#include "Platform/Fake/FakeUserDefaults.h"
#include "Platform/Fake/FakeWindowServer.h"
#include "Platform/Fake/FakeWorkspace.h"
#include "Platform/Services.h"
#include "Support/Scheduler.h"

// Every service as a fake, with a manual clock, for tests.
struct FakePlatform {
    ManualScheduler scheduler;
    FakeUserDefaults defaults;
    FakeDistributedNotifications notifications;
    // What the command words post reaches `notifications`.
    FakeSessionBus sessionBus{notifications};
    FakeWorkspace workspace;
    FakeSoundPlayer soundPlayer;
    FakeAudioSystem audio;
    FakeKeyCapture keyCapture;
    FakeWindowServer windowServer;
    FakeScreens screens;
    FakeEventStore eventStore;
    FakeLocationProvider location;
    FakeCredentials credentials;
    FakePointer pointer;
    FakeBacklights backlights;
    FakeUpdateFramework updates;
    FakePowerSources powerSources;
    FakeBluetooth bluetooth;
    FakeSessionLock sessionLock;
    FakeLoginItems loginItems;

    Services services()
    {
        return Services{scheduler, defaults, notifications, workspace, soundPlayer, audio, keyCapture, windowServer, screens,
                        eventStore, location, credentials, pointer, backlights, updates, powerSources, bluetooth, sessionLock, loginItems};
    }
};
