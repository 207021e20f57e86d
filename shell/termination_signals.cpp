#include "shell/termination_signals.h"

#include "shell/shell_logging.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace duvara {

namespace {

constexpr std::array<int, 3> kSignals {SIGTERM, SIGINT, SIGHUP};

// Written by the handler, read by the event loop: a handler may do little more than write().
int g_pipe[2] = {-1, -1};
std::array<struct sigaction, kSignals.size()> g_before {};

void onSignal(int number)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    // A full pipe already holds a request the event loop has yet to read.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (g_pipe[0] != -1) {
        qCWarning(lcShell) << "termination signals are watched already";
        return;
    }
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcShell).noquote() << "termination signals are not watched:"
                                     << QString::fromLocal8Bit(std::strerror(errno));
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readSignals);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (size_t index = 0; index < kSignals.size(); ++index) {
        ::sigaction(kSignals[index], nullptr, &g_before[index]);
        // A signal ignored by whoever started the player (nohup, a background job) stays ignored.
        if (g_before[index].sa_handler != SIG_IGN)
            ::sigaction(kSignals[index], &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    for (size_t index = 0; index < kSignals.size(); ++index)
        ::sigaction(kSignals[index], &g_before[index], nullptr);
    m_notifier.reset();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void TerminationSignals::readSignals()
{
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1) {
        qCInfo(lcShell).noquote() << "signal" << int(byte) << "received: closing the window";
        emit terminationRequested(int(byte));
    }
}

} // namespace duvara
