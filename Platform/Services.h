#pragma once

class AudioSystem;
class Backlights;
class Bluetooth;
class Credentials;
class DistributedNotifications;
class EventStore;
class KeyCapture;
class LocationProvider;
class LoginItems;
class Pointer;
class PowerSources;
class Scheduler;
class Screens;
class SoundPlayer;
class UpdateFramework;
class UserDefaults;
class WindowServer;
class Workspace;

// The operating-system services the app's models use, built once by the
// entry point (real backends) or by a test (fakes) and passed down.
struct Services {
    Scheduler &scheduler;
    UserDefaults &defaults;
    DistributedNotifications &notifications;
    Workspace &workspace;
    SoundPlayer &soundPlayer;
    AudioSystem &audio;
    KeyCapture &keyCapture;
    WindowServer &windowServer;
    Screens &screens;
    EventStore &eventStore;
    LocationProvider &location;
    Credentials &credentials;
    Pointer &pointer;
    Backlights &backlights;
    UpdateFramework &updates;
    PowerSources &powerSources;
    Bluetooth &bluetooth;
    LoginItems &loginItems;
};
