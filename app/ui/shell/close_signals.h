#pragma once
// The session's requests to end the program: SIGTERM (logout, shutdown), SIGINT and SIGHUP.
// A signal handler may do next to nothing, so it only writes a byte into a pipe; a socket
// notifier on the pipe's other end turns that byte into a call on the user-interface thread.

#include <QObject>

#include <csignal>
#include <functional>

class QSocketNotifier;

namespace kb {

class CloseSignals : public QObject {
    Q_OBJECT

public:
    // Handles the three signals until destroyed, calling onSignal on the user-interface thread
    // for each arrival. One object at a time.
    explicit CloseSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    // The handlers in place before come back.
    ~CloseSignals() override;

private:
    void Drain();

    std::function<void()> onSignal_;
    int fds_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    struct sigaction previous_[3] {};
};

}  // namespace kb
