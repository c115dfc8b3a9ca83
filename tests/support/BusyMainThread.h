#pragma once

#include <functional>

// Runs `work` on another thread while the main thread is kept busy, as a
// long job on it would keep it, and returns once the main thread is free
// again. True when the main thread was held from before `work` started until
// it ended; the hold is bounded by `milliseconds`, after which the main
// thread is let go and the result is false. Call it on the main thread.
bool whileMainThreadIsBusy(const std::function<void()> &work, int milliseconds = 30000);
