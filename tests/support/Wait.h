#pragma once

#include <functional>

// Runs the event loop until `condition` holds or `milliseconds` have passed;
// returns whether it holds. For events that come from outside the process.
bool waitUntil(const std::function<bool()> &condition, int milliseconds = 5000);
