#pragma once

#include "NowPlaying/LyricsModel.h"

#include <ostream>

// Readable gtest failure messages for lyrics.
inline void PrintTo(const LyricLine &line, std::ostream *out)
{
    *out << '{' << line.id << ", " << line.time << ", \"" << line.text.toStdString() << "\"}";
}

inline void PrintTo(const LyricsContent &content, std::ostream *out)
{
    static const char *const kinds[] = {"synced", "plain", "none", "loading", "notFound"};
    *out << kinds[int(content.kind)] << '[';
    for (const LyricLine &line : content.lines) {
        PrintTo(line, out);
        *out << ' ';
    }
    *out << ']';
}
