#pragma once

class DistributedNotifications;
class Scheduler;
class SoundPlayer;
class UserDefaults;
class Workspace;

// The operating-system services the app's models use, built once by the
// entry point (real backends) or by a test (fakes) and passed down.
struct Services {
    Scheduler &scheduler;
    UserDefaults &defaults;
    DistributedNotifications &notifications;
    Workspace &workspace;
    SoundPlayer &soundPlayer;
};
