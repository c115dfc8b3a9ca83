#pragma once

// libQuibMediaRemote: the system's now-playing information and transport
// commands, as the media bridge binds them by name (dlopen/dlsym). On Linux it
// follows the MPRIS 2 players on the session bus and picks the one that is
// "now playing" (see MediaRemote.cpp). Plain C interface, no Qt.
//
// Callbacks of the Get functions run on the calling thread before the
// function returns; the data they receive is valid only during the call.

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Command numbers of MRMediaRemoteSendCommand.
enum {
    MRMediaRemoteCommandPlay = 0,
    MRMediaRemoteCommandPause = 1,
    MRMediaRemoteCommandTogglePlayPause = 2,
    MRMediaRemoteCommandNextTrack = 4,
    MRMediaRemoteCommandPreviousTrack = 5,
    MRMediaRemoteCommandAdvanceShuffleMode = 6,
    MRMediaRemoteCommandAdvanceRepeatMode = 7,
};

// The now-playing dictionary. Strings are UTF-8 and NULL when the player does
// not report them; each number comes with a flag saying whether it was
// reported.
typedef struct MRNowPlayingInfo {
    const char *title;
    const char *artist; // several artists joined with ", "
    const char *album;
    int hasDuration;
    double duration; // seconds
    int hasElapsedTime;
    double elapsedTime; // seconds, at `timestamp`
    int hasTimestamp;
    double timestamp; // seconds since 1970-01-01 00:00 UTC
    int hasPlaybackRate;
    double playbackRate;
    int hasShuffleMode;
    int shuffleMode; // 0 off, 1 on
    int hasRepeatMode;
    int repeatMode; // 0 none, 1 track, 2 playlist
    const unsigned char *artworkData; // NULL when there is none
    size_t artworkDataLength;
} MRNowPlayingInfo;

typedef void (*MRMediaRemoteNotificationCallback)(void *context);
typedef void (*MRMediaRemoteNowPlayingInfoCallback)(const MRNowPlayingInfo *info, void *context);
typedef void (*MRMediaRemoteIsPlayingCallback)(int isPlaying, void *context);
typedef void (*MRMediaRemotePIDCallback)(int32_t pid, void *context);

// Starts following the players. `callback` is called, on a thread of the
// library, after each change of the now-playing player or of its state.
// Called once per process.
void MRMediaRemoteRegisterForNowPlayingNotifications(MRMediaRemoteNotificationCallback callback, void *context);
// `info` is NULL when no player is known. Once after the now-playing player
// has left, it is an empty record (no title, no artwork), and the pid and the
// playing flag read 0 until it has been read. Artwork at web addresses is
// fetched in the background: the info has none until it has arrived, and then
// `callback` of the registration is called.
void MRMediaRemoteGetNowPlayingInfo(MRMediaRemoteNowPlayingInfoCallback callback, void *context);
void MRMediaRemoteGetNowPlayingApplicationIsPlaying(MRMediaRemoteIsPlayingCallback callback, void *context);
// 0 when there is no now-playing player or its process is unknown.
void MRMediaRemoteGetNowPlayingApplicationPID(MRMediaRemotePIDCallback callback, void *context);
// Sends one of the commands above to the now-playing player; `options` must be
// NULL. Returns 0 when there is no player to send it to.
int MRMediaRemoteSendCommand(int32_t command, const void *options);
// Moves the now-playing player's position to `seconds`: within the track it
// names, or, when it names none, by the offset from its current position.
void MRMediaRemoteSetElapsedTime(double seconds);

#ifdef __cplusplus
}
#endif
