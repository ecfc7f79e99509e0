#pragma once

#include <QObject>

#include <atomic>

class QSocketNotifier;

// Turns Ctrl-C (SIGINT) into the Qt signal interrupted() on the thread that
// created the watcher. The signal handler only sets a flag and writes one byte
// to a pipe; a second Ctrl-C gets the default action and ends the process.
// At most one watcher exists at a time.
class InterruptWatcher : public QObject
{
    Q_OBJECT

public:
    explicit InterruptWatcher(QObject *parent = nullptr);
    ~InterruptWatcher() override;

    bool isActive() const { return m_notifier != nullptr; }
    static bool wasInterrupted() { return s_interrupted.load(); }

signals:
    void interrupted();

private:
    static void handleSignal(int);
    void drainPipe();

    static std::atomic<bool> s_interrupted;
    static std::atomic<int> s_pipeWrite;
    int m_pipeRead = -1;
    QSocketNotifier *m_notifier = nullptr;
};
