#include "Support/BackgroundRunner.h"

#include <QThreadPool>

BackgroundRunner runnerOrGlobalThreadPool(BackgroundRunner runner)
{
    if (runner)
        return runner;
    return [](std::function<void()> work) { QThreadPool::globalInstance()->start(std::move(work)); };
}
