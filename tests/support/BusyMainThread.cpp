#include "BusyMainThread.h"

#include "Wait.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

struct Hold {
    std::mutex mutex;
    std::condition_variable changed;
    bool holding = false;
    bool workDone = false;
    bool heldThroughout = false;
    bool holdEnded = false;
};

} // namespace

bool whileMainThreadIsBusy(const std::function<void()> &work, int milliseconds)
{
    const auto bound = std::chrono::milliseconds(milliseconds);
    // Shared: the queued call may outlive a wait that gave up.
    const auto hold = std::make_shared<Hold>();
    QMetaObject::invokeMethod(
        qApp,
        [hold, bound] {
            std::unique_lock lock(hold->mutex);
            hold->holding = true;
            hold->changed.notify_all();
            hold->heldThroughout = hold->changed.wait_for(lock, bound, [&] { return hold->workDone; });
            hold->holding = false;
            hold->holdEnded = true;
        },
        Qt::QueuedConnection);
    bool startedHeld = false;
    std::thread worker([&] {
        {
            std::unique_lock lock(hold->mutex);
            startedHeld = hold->changed.wait_for(lock, bound, [&] { return hold->holding; });
        }
        if (startedHeld)
            work();
        const std::lock_guard lock(hold->mutex);
        hold->workDone = true;
        hold->changed.notify_all();
    });
    // The event loop runs the queued call, which holds the main thread.
    const bool ended = waitUntil(
        [&] {
            const std::lock_guard lock(hold->mutex);
            return hold->holdEnded;
        },
        2 * milliseconds);
    worker.join();
    const std::lock_guard lock(hold->mutex);
    return ended && startedHeld && hold->heldThroughout;
}
