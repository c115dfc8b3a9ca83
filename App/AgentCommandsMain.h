#pragma once

#include <string_view>

// The entry of the agent's command words, in the library that `quib` loads
// only for them: they need Qt, which `quib notify` never loads.
extern "C" __attribute__((visibility("default"))) int quibRunAgentCommand(int argc, char **argv);

// The name of that library, in the executable's ../lib/quib folder.
inline constexpr const char *quibAgentCommandsLibrary = "libquib-commands.so";

// The command words it runs.
inline bool isAgentCommand(const char *word)
{
    const std::string_view text(word);
    return text == "claude-hook" || text == "claude-statusline";
}
