#pragma once

#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"

#include <memory>
#include <ostream>

inline void PrintTo(const NotchState &state, std::ostream *out)
{
    static const char *const cases[] = {"compact", "closed", "banner", "mixer", "peek", "open"};
    static const char *const kinds[] = {"media", "reminder", "alert", "timer", "micMuted", "event"};
    *out << cases[int(state.value())];
    if (state.value() == NotchState::Case::compact)
        *out << '(' << kinds[int(state.kind())] << ')';
}

// The fake platform with the app's models on it, for the notch's tests: a
// screen without a camera housing under a 24-point top panel, a default
// microphone and speakers that can be muted, helpers that put the models in
// the states the notch reads.
class NotchFixture {
public:
    static inline const QRect desktop{0, 0, 1920, 1080};

    NotchFixture()
    {
        platform.screens.setScreens({FakeScreens::screen(QStringLiteral("DP-1"), desktop, 24)});
        platform.audio.addDevice(AudioScope::Input, FakeAudioSystem::switchedDevice(QStringLiteral("mic")));
        platform.audio.defaults[AudioScope::Input] = QStringLiteral("mic");
        platform.audio.addDevice(AudioScope::Output, FakeAudioSystem::switchedDevice(QStringLiteral("speakers")));
        platform.audio.defaults[AudioScope::Output] = QStringLiteral("speakers");
        app = std::make_unique<AppModel>(platform.services());
    }

    Preferences &preferences() { return app->preferences; }

    void showBanner(const QString &title = QStringLiteral("Build"), double duration = 6)
    {
        NotchBanner banner;
        banner.title = title;
        banner.duration = duration;
        app->banners.show(banner);
    }
    void showAlert(AlertKind kind = AlertKind::volume, double sideWidth = 100)
    {
        NotchAlert alert;
        alert.kind = kind;
        alert.symbol = QStringLiteral("speaker.wave.2.fill");
        alert.level = 0.5;
        alert.sideWidth = sideWidth;
        app->alerts.show(alert, 2);
    }
    // A song from the player at process 321, playing or stopped (a stopped
    // player reports no title), and whether that player is in front.
    void playMedia(bool playing, bool sourceFrontmost = false)
    {
        const Workspace::RunningApplication player{321, QStringLiteral("org.example.Player"), QStringLiteral("Player"), true};
        platform.workspace.addApplication(player.processIdentifier, 1, player.bundleIdentifier);
        platform.workspace.frontmost = sourceFrontmost ? std::optional(player) : std::nullopt;
        QJsonObject state{{QStringLiteral("type"), QStringLiteral("state")}, {QStringLiteral("playing"), playing ? 1 : 0},
                          {QStringLiteral("pid"), player.processIdentifier}};
        if (playing)
            state.insert(QStringLiteral("title"), QStringLiteral("Song"));
        app->nowPlaying.handle(state);
    }
    void muteOutput(bool muted)
    {
        AudioDevice speakers = FakeAudioSystem::switchedDevice(QStringLiteral("speakers"));
        speakers.isMuted = muted;
        platform.audio.changeDevice(AudioScope::Output, speakers);
    }

    FakePlatform platform;
    std::unique_ptr<AppModel> app;
};
