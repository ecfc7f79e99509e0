#include "cli/interruptwatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

std::atomic<bool> InterruptWatcher::s_interrupted{false};
std::atomic<int> InterruptWatcher::s_pipeWrite{-1};

void InterruptWatcher::handleSignal(int)
{
    // Only async-signal-safe work here.
    s_interrupted.store(true);
    const int savedErrno = errno;
    const char byte = 1;
    const int fd = s_pipeWrite.load();
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

InterruptWatcher::InterruptWatcher(QObject *parent) : QObject(parent)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_pipeRead = fds[0];
    s_pipeWrite = fds[1];
    s_interrupted.store(false);

    m_notifier = new QSocketNotifier(m_pipeRead, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        drainPipe();
        emit interrupted();
    });

    struct sigaction action = {};
    action.sa_handler = &InterruptWatcher::handleSignal;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the handler runs once, a second Ctrl-C ends the process at once.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    ::sigaction(SIGINT, &action, nullptr);
}

InterruptWatcher::~InterruptWatcher()
{
    if (m_pipeRead < 0)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    delete m_notifier;
    ::close(s_pipeWrite.exchange(-1));
    ::close(m_pipeRead);
}

void InterruptWatcher::drainPipe()
{
    char buffer[64];
    while (::read(m_pipeRead, buffer, sizeof buffer) > 0) {
    }
}
