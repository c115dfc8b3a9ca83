#include "Bridge/BridgeCommand.h"

#include <array>
#include <cstdlib>
#include <string>
#include <utility>

BridgeCommand BridgeCommand::parse(std::string_view line)
{
    // Order matters where one word starts another: the first match wins.
    static constexpr std::array words{
        std::pair{std::string_view("toggle"), Kind::togglePlayPause}, std::pair{std::string_view("play"), Kind::play},
        std::pair{std::string_view("pause"), Kind::pause},            std::pair{std::string_view("next"), Kind::nextTrack},
        std::pair{std::string_view("prev"), Kind::previousTrack},     std::pair{std::string_view("shuffle"), Kind::advanceShuffleMode},
        std::pair{std::string_view("repeat"), Kind::advanceRepeatMode},
    };
    for (const auto &[word, kind] : words) {
        if (line.starts_with(word))
            return {kind};
    }
    constexpr std::string_view seek = "seek ";
    if (line.starts_with(seek)) {
        // atof needs a terminated string; the line may hold a NUL of its own,
        // where atof stops as it would in the line itself.
        const std::string position(line.substr(seek.size()));
        return {Kind::seek, std::atof(position.c_str())};
    }
    return {};
}
