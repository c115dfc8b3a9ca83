#include "App/AppMain.h"
#include "App/CommandLineTool.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

// The app library beside the executable, as installed and as built:
// bin/quib and lib/quib/libquib-app.so.
std::filesystem::path appLibraryPath()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return executable.parent_path().parent_path() / "lib" / "quib" / quibAppLibrary;
}

} // namespace

int main(int argc, char **argv)
{
    // Command words run and end the process here, before any application
    // object exists.
    if (CommandLineTool::runIfNeeded(argc, argv))
        return 0;

    const std::filesystem::path library = appLibraryPath();
    void *handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "Quib: could not load the app (%s)\n", dlerror());
        return 1;
    }
    auto *run = reinterpret_cast<decltype(&quibRunApp)>(dlsym(handle, "quibRunApp"));
    if (!run) {
        std::fprintf(stderr, "Quib: %s has no app entry (%s)\n", library.c_str(), dlerror());
        return 1;
    }
    return run(argc, argv);
}
