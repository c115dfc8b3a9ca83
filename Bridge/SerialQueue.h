#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

// Work run one item at a time, in order, on a thread of its own; an item may
// wait for a delay first. Items due at the same moment run in the order they
// were added.
class SerialQueue {
public:
    using Clock = std::chrono::steady_clock;

    SerialQueue();
    SerialQueue(const SerialQueue &) = delete;
    SerialQueue &operator=(const SerialQueue &) = delete;

    void async(std::function<void()> work);
    void asyncAfter(Clock::duration delay, std::function<void()> work);

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::map<std::pair<Clock::time_point, uint64_t>, std::function<void()>> m_items;
    uint64_t m_nextSequence = 0;
};
