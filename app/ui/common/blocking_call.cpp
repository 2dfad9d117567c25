#include "app/ui/common/blocking_call.h"

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <exception>
#include <thread>

namespace kb {

namespace {

constexpr std::chrono::milliseconds kDefaultPollInterval{200};
std::chrono::milliseconds g_pollInterval = kDefaultPollInterval;

}  // namespace

void SetBlockingCallPollInterval(std::chrono::milliseconds interval) {
    g_pollInterval = interval.count() > 0 ? interval : kDefaultPollInterval;
}

void RunBlockingCall(const std::function<void(const BlockingCallProgress& report)>& work,
                     const BlockingCallProgress& onProgress, const std::function<void()>& poll) {
    QEventLoop loop;
    // Reports and the end are queued to this object, which lives on the window's thread; the
    // end is queued after the last report, so every report arrives before the loop stops.
    QObject receiver;
    std::exception_ptr failure;
    const BlockingCallProgress report = [&receiver, &onProgress](const std::string& name,
                                                                 int percent) {
        QMetaObject::invokeMethod(
            &receiver, [&onProgress, name, percent] { if (onProgress) onProgress(name, percent); },
            Qt::QueuedConnection);
    };
    QTimer polling;
    if (poll) {
        QObject::connect(&polling, &QTimer::timeout, poll);
        polling.start(g_pollInterval);
    }
    std::thread worker([&] {
        try {
            work(report);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&receiver, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    polling.stop();
    worker.join();
    if (failure) std::rethrow_exception(failure);
    if (poll) poll();
}

}  // namespace kb
