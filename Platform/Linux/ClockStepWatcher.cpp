#include "Platform/Linux/ClockStepWatcher.h"

#include "Support/Log.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sys/timerfd.h>
#include <unistd.h>

ClockStepWatcher::ClockStepWatcher(std::function<void()> onStep)
    : m_onStep(std::move(onStep))
{
    m_fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0 || !arm()) {
        qCWarning(lcPlatform, "Quib: cannot watch the system clock (%s); after the time is set, calendar times wait for a wake or a restart",
                  std::strerror(errno));
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { read(); });
}

ClockStepWatcher::~ClockStepWatcher()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ClockStepWatcher::arm()
{
    // A deadline that never comes: the timer exists only to be cancelled.
    itimerspec never{};
    never.it_value.tv_sec = std::numeric_limits<time_t>::max();
    return ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &never, nullptr) == 0;
}

void ClockStepWatcher::read()
{
    std::uint64_t expirations = 0;
    if (::read(m_fd, &expirations, sizeof expirations) >= 0 || errno != ECANCELED)
        return;
    // A cancelled timer stays cancelled until it is set again.
    if (!arm()) {
        qCWarning(lcPlatform, "Quib: cannot watch the system clock any longer (%s)", std::strerror(errno));
        m_notifier->setEnabled(false);
    }
    m_onStep();
}
