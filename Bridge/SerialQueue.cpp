#include "Bridge/SerialQueue.h"

#include <thread>

SerialQueue::SerialQueue()
{
    // The queue lives as long as the process; its thread is never joined.
    std::thread([this] { run(); }).detach();
}

void SerialQueue::async(std::function<void()> work)
{
    asyncAfter(Clock::duration::zero(), std::move(work));
}

void SerialQueue::asyncAfter(Clock::duration delay, std::function<void()> work)
{
    {
        std::lock_guard lock(m_mutex);
        m_items.emplace(std::pair{Clock::now() + delay, m_nextSequence++}, std::move(work));
    }
    m_wake.notify_one();
}

void SerialQueue::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_items.empty()) {
            m_wake.wait(lock);
            continue;
        }
        const auto first = m_items.begin();
        if (first->first.first > Clock::now()) {
            m_wake.wait_until(lock, first->first.first);
            continue;
        }
        std::function<void()> work = std::move(first->second);
        m_items.erase(first);
        lock.unlock();
        work();
        lock.lock();
    }
}
