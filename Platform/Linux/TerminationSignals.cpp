#include "Platform/Linux/TerminationSignals.h"

#include "Support/Log.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array handledSignals{SIGTERM, SIGINT, SIGHUP};

// Read end and write end of the self-pipe; -1 while no instance exists.
int pipeEnds[2] = {-1, -1};

void writeSignal(int signal)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe already holds a pending request to quit; losing this one
    // changes nothing.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &number, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void(int signal)> handler)
    : m_handler(std::move(handler))
{
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcApp, "Quib: cannot watch for termination signals (%s); SIGTERM ends the app without its clean-up", std::strerror(errno));
        pipeEnds[0] = pipeEnds[1] = -1;
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readSignals);

    struct sigaction action {};
    action.sa_handler = writeSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : handledSignals)
        ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : handledSignals)
        ::sigaction(signal, &action, nullptr);
    m_notifier.reset();
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void TerminationSignals::readSignals()
{
    unsigned char number = 0;
    while (::read(pipeEnds[0], &number, 1) == 1)
        m_handler(number);
}
