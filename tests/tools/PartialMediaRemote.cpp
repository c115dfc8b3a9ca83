// A media framework without the optional seek function and without players:
// the bridge must still start with it.

#include "Platform/MediaRemote/MediaRemote.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT void MRMediaRemoteRegisterForNowPlayingNotifications(MRMediaRemoteNotificationCallback, void *)
{
}

EXPORT void MRMediaRemoteGetNowPlayingInfo(MRMediaRemoteNowPlayingInfoCallback callback, void *context)
{
    callback(nullptr, context);
}

EXPORT void MRMediaRemoteGetNowPlayingApplicationIsPlaying(MRMediaRemoteIsPlayingCallback callback, void *context)
{
    callback(0, context);
}

EXPORT void MRMediaRemoteGetNowPlayingApplicationPID(MRMediaRemotePIDCallback callback, void *context)
{
    callback(0, context);
}

EXPORT int MRMediaRemoteSendCommand(int32_t, const void *)
{
    return 0;
}
