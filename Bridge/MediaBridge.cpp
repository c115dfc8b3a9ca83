// The media bridge: run inside a child process of the app (perl loads this
// library and calls quib_bridge_run). It binds the media framework
// libQuibMediaRemote.so by name, writes one JSON object per line on standard
// output ("ready", then "state" after each change) and executes the command
// lines it reads on standard input. No Qt here: the bridge must stay small.

#include "Bridge/BridgeCommand.h"
#include "Bridge/SerialQueue.h"
#include "Platform/MediaRemote/MediaRemote.h"

#include <glib.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <unistd.h>

using json = nlohmann::json;

namespace {

using RegisterFunction = void (*)(MRMediaRemoteNotificationCallback, void *);
using GetInfoFunction = void (*)(MRMediaRemoteNowPlayingInfoCallback, void *);
using GetPlayingFunction = void (*)(MRMediaRemoteIsPlayingCallback, void *);
using GetPIDFunction = void (*)(MRMediaRemotePIDCallback, void *);
using SendCommandFunction = int (*)(int32_t, const void *);
using SetElapsedFunction = void (*)(double);

// Bound once by quib_bridge_run, never freed.
GetInfoFunction gGetInfo = nullptr;
GetPlayingFunction gGetPlaying = nullptr;
GetPIDFunction gGetPID = nullptr;
SendCommandFunction gSendCommand = nullptr;
SetElapsedFunction gSetElapsed = nullptr; // optional

// Every framework call, callback, command and refresh runs on this queue, so
// the two values below need no lock.
SerialQueue *gQueue = nullptr;
bool gRefreshScheduled = false;
std::optional<std::vector<unsigned char>> gLastArtwork;

// Keeps a line whole when the process ends while a refresh writes.
std::mutex gOutputMutex;

constexpr auto refreshDelay = std::chrono::milliseconds(40);

// The framework sits beside this library.
std::string frameworkPath()
{
    Dl_info info{};
    std::string path;
    if (dladdr(reinterpret_cast<void *>(&frameworkPath), &info) && info.dli_fname)
        path = info.dli_fname;
    const std::string::size_type slash = path.rfind('/');
    return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/libQuibMediaRemote.so";
}

void *SYM(void *handle, const char *name)
{
    void *function = dlsym(handle, name);
    if (!function)
        std::fprintf(stderr, "quib-bridge: missing symbol %s\n", name);
    return function;
}

void emit(const json &message)
{
    std::string line;
    try {
        line = message.dump();
    } catch (const json::exception &) {
        return; // not valid UTF-8: nothing to write
    }
    std::lock_guard lock(gOutputMutex);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void putString(json &message, const char *key, const char *value)
{
    if (value && *value)
        message[key] = value;
}

void putNumber(json &message, const char *key, int present, double value)
{
    if (present && std::isfinite(value))
        message[key] = value;
}

std::string base64(const std::vector<unsigned char> &data)
{
    gchar *encoded = g_base64_encode(data.data(), data.size());
    std::string text(encoded);
    g_free(encoded);
    return text;
}

struct Refresh {
    int32_t pid = 0;
    bool playing = false;
};

json stateMessage(const Refresh &refresh, const MRNowPlayingInfo *info)
{
    json message = {{"type", "state"}, {"pid", refresh.pid}, {"playing", refresh.playing ? 1 : 0}};
    if (!info)
        return message;
    putString(message, "title", info->title);
    putString(message, "artist", info->artist);
    putString(message, "album", info->album);
    putNumber(message, "duration", info->hasDuration, info->duration);
    putNumber(message, "elapsed", info->hasElapsedTime, info->elapsedTime);
    putNumber(message, "rate", info->hasPlaybackRate, info->playbackRate);
    if (info->hasShuffleMode)
        message["shuffle"] = info->shuffleMode;
    if (info->hasRepeatMode)
        message["repeat"] = info->repeatMode;
    putNumber(message, "timestamp", info->hasTimestamp, info->timestamp);

    // Artwork is sent only when it changed; "" clears it once the player has
    // nothing left to show.
    std::vector<unsigned char> artwork;
    if (info->artworkData)
        artwork.assign(info->artworkData, info->artworkData + info->artworkDataLength);
    if (!artwork.empty() && artwork != gLastArtwork) {
        message["artwork"] = base64(artwork);
        gLastArtwork = std::move(artwork);
    } else if (artwork.empty() && gLastArtwork && !info->title) {
        message["artwork"] = "";
        gLastArtwork.reset();
    }
    return message;
}

void refreshNow()
{
    gRefreshScheduled = false;
    Refresh refresh;
    gGetPID(
        [](int32_t pid, void *context) {
            static_cast<Refresh *>(context)->pid = pid;
            gGetPlaying(
                [](int playing, void *context) {
                    static_cast<Refresh *>(context)->playing = playing != 0;
                    gGetInfo([](const MRNowPlayingInfo *info, void *context) { emit(stateMessage(*static_cast<Refresh *>(context), info)); },
                             context);
                },
                context);
        },
        &refresh);
}

// Any number of changes and commands within 40 ms make one refresh.
void scheduleRefresh()
{
    gQueue->async([] {
        if (gRefreshScheduled)
            return;
        gRefreshScheduled = true;
        gQueue->asyncAfter(refreshDelay, refreshNow);
    });
}

void handleCommand(const std::string &line)
{
    const BridgeCommand command = BridgeCommand::parse(line);
    switch (command.kind) {
    case BridgeCommand::Kind::none:
        break;
    case BridgeCommand::Kind::togglePlayPause:
        gSendCommand(MRMediaRemoteCommandTogglePlayPause, nullptr);
        break;
    case BridgeCommand::Kind::play:
        gSendCommand(MRMediaRemoteCommandPlay, nullptr);
        break;
    case BridgeCommand::Kind::pause:
        gSendCommand(MRMediaRemoteCommandPause, nullptr);
        break;
    case BridgeCommand::Kind::nextTrack:
        gSendCommand(MRMediaRemoteCommandNextTrack, nullptr);
        break;
    case BridgeCommand::Kind::previousTrack:
        gSendCommand(MRMediaRemoteCommandPreviousTrack, nullptr);
        break;
    case BridgeCommand::Kind::advanceShuffleMode:
        gSendCommand(MRMediaRemoteCommandAdvanceShuffleMode, nullptr);
        break;
    case BridgeCommand::Kind::advanceRepeatMode:
        gSendCommand(MRMediaRemoteCommandAdvanceRepeatMode, nullptr);
        break;
    case BridgeCommand::Kind::seek:
        if (gSetElapsed)
            gSetElapsed(command.seconds);
        break;
    }
    // Every line, known or not, is answered by a fresh snapshot.
    scheduleRefresh();
}

[[noreturn]] void exitAfterOutput(int status)
{
    std::lock_guard lock(gOutputMutex);
    std::fflush(stdout);
    // The queue's and the framework's threads are still running: leave
    // without running destructors under them.
    _exit(status);
}

} // namespace

extern "C" __attribute__((visibility("default"))) void quib_bridge_run(void)
{
    void *handle = dlopen(frameworkPath().c_str(), RTLD_NOW);
    if (!handle) {
        std::fputs("quib-bridge: cannot load MediaRemote\n", stderr);
        std::exit(2);
    }
    const auto registerForNotifications = reinterpret_cast<RegisterFunction>(SYM(handle, "MRMediaRemoteRegisterForNowPlayingNotifications"));
    gGetInfo = reinterpret_cast<GetInfoFunction>(SYM(handle, "MRMediaRemoteGetNowPlayingInfo"));
    gGetPlaying = reinterpret_cast<GetPlayingFunction>(SYM(handle, "MRMediaRemoteGetNowPlayingApplicationIsPlaying"));
    gGetPID = reinterpret_cast<GetPIDFunction>(SYM(handle, "MRMediaRemoteGetNowPlayingApplicationPID"));
    gSendCommand = reinterpret_cast<SendCommandFunction>(SYM(handle, "MRMediaRemoteSendCommand"));
    gSetElapsed = reinterpret_cast<SetElapsedFunction>(SYM(handle, "MRMediaRemoteSetElapsedTime"));
    if (!registerForNotifications || !gGetInfo || !gGetPlaying || !gGetPID || !gSendCommand)
        std::exit(3);
    std::fflush(stderr);

    gQueue = new SerialQueue;
    registerForNotifications([](void *) { scheduleRefresh(); }, nullptr);

    emit(json{{"type", "ready"}});
    scheduleRefresh();

    // This thread reads the commands; lines longer than 255 bytes come in
    // pieces, each taken as a line.
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
        std::string line(buffer);
        gQueue->async([line = std::move(line)] { handleCommand(line); });
    }
    exitAfterOutput(0);
}
