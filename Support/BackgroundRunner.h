#pragma once

#include <functional>

// Runs a piece of work off the main thread. Models take one so that tests can
// choose when the work runs.
using BackgroundRunner = std::function<void(std::function<void()>)>;

// `runner`, or, when it is empty, one that runs work on Qt's global thread
// pool (the app's choice).
BackgroundRunner runnerOrGlobalThreadPool(BackgroundRunner runner);
