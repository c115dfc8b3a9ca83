#pragma once

#include <string_view>

// One command line of the app, as the bridge reads it: a known word at the
// start of the line ("playpause" is "play"), or "seek " and a position in
// seconds read as atof reads it (unreadable gives 0).
struct BridgeCommand {
    enum class Kind { none, togglePlayPause, play, pause, nextTrack, previousTrack, advanceShuffleMode, advanceRepeatMode, seek };

    Kind kind = Kind::none;
    // The position of a seek.
    double seconds = 0;

    static BridgeCommand parse(std::string_view line);
};
