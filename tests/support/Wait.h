#pragma once

#include <functional>

// Runs the event loop until `condition` holds or `milliseconds` have passed
// (long enough for a loaded machine: a wait ends as soon as it holds);
// returns whether it holds. For events that come from outside the process.
bool waitUntil(const std::function<bool()> &condition, int milliseconds = 15000);
