#include "app/ui/shell/close_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

#include <cerrno>

namespace kb {

namespace {

constexpr int kSignals[3] = {SIGTERM, SIGINT, SIGHUP};

// The pipe's writing end while a CloseSignals object lives.
volatile sig_atomic_t g_writeFd = -1;

void OnCloseSignal(int) {
    const int saved = errno;
    const char byte = 1;
    if (g_writeFd >= 0) (void)!::write(g_writeFd, &byte, 1);
    errno = saved;
}

}  // namespace

CloseSignals::CloseSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    if (g_writeFd >= 0 || ::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    g_writeFd = fds_[1];
    notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CloseSignals::Drain);
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &previous_[i]);
}

CloseSignals::~CloseSignals() {
    if (notifier_ == nullptr) return;
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &previous_[i], nullptr);
    g_writeFd = -1;
    delete notifier_;
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void CloseSignals::Drain() {
    char bytes[64];
    bool arrived = false;
    while (::read(fds_[0], bytes, sizeof bytes) > 0) arrived = true;
    if (arrived && onSignal_) onSignal_();
}

}  // namespace kb
