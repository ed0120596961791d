#include "core/base/shutdownsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int Signals[] = {SIGTERM, SIGHUP, SIGINT};

int s_sockets[2] = {-1, -1};
volatile sig_atomic_t s_received = 0;

void onSignal(int signalNumber)
{
    if (s_received) {
        // The window is already closing and something hangs, or the user
        // insists: end now, as the signal would have without us.
        ::signal(signalNumber, SIG_DFL);
        ::raise(signalNumber);
        return;
    }
    s_received = 1;
    const int saved = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(s_sockets[0], &byte, 1);
    errno = saved;
}

} // namespace

ShutdownSignals::ShutdownSignals(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, s_sockets) != 0)
        return;
    // A full pipe must never block the handler.
    ::fcntl(s_sockets[0], F_SETFL, ::fcntl(s_sockets[0], F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(s_sockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ShutdownSignals::readSignal);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls go on, so that no read or write of the
    // program fails because a signal came in.
    action.sa_flags = SA_RESTART;
    for (int signalNumber : Signals)
        ::sigaction(signalNumber, &action, nullptr);
}

ShutdownSignals::~ShutdownSignals()
{
    for (int signalNumber : Signals)
        ::signal(signalNumber, SIG_DFL);
    delete m_notifier;
    m_notifier = nullptr;
    for (int &fd : s_sockets) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void ShutdownSignals::readSignal()
{
    char byte = 0;
    if (::read(s_sockets[1], &byte, 1) == 1)
        emit closeRequested(int(static_cast<unsigned char>(byte)));
}
