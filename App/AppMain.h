#pragma once

// The app's entry, in the app library that `quib` loads only when it starts
// the app: command words never load the GUI, sound, calendar or X11 code.
extern "C" __attribute__((visibility("default"))) int quibRunApp(int argc, char **argv);

// The name of that library, in the executable's ../lib/quib folder.
inline constexpr const char *quibAppLibrary = "libquib-app.so";
