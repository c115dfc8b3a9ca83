#include "App/AgentCommandsMain.h"
#include "App/AppMain.h"
#include "App/NotifyCommand.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

// Loads `library` from beside the executable (bin/quib and lib/quib/, as
// installed and as built) and runs its `entry`.
int runLibrary(const char *library, const char *entry, int argc, char **argv)
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path path = executable.parent_path().parent_path() / "lib" / "quib" / library;
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "Quib: could not load %s (%s)\n", library, dlerror());
        return 1;
    }
    auto *run = reinterpret_cast<decltype(&quibRunApp)>(dlsym(handle, entry));
    if (!run) {
        std::fprintf(stderr, "Quib: %s has no entry %s (%s)\n", path.c_str(), entry, dlerror());
        return 1;
    }
    return run(argc, argv);
}

} // namespace

int main(int argc, char **argv)
{
    // `notify` and `help` run here in plain C++; the agent's commands and the
    // app each load their own library, so a command never loads the GUI.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!NotifyCommand::isCommand(arguments))
        return runLibrary(quibAppLibrary, "quibRunApp", argc, argv);
    if (isAgentCommand(argv[1]))
        return runLibrary(quibAgentCommandsLibrary, "quibRunAgentCommand", argc, argv);
    return NotifyCommand::runInProcess(arguments);
}
