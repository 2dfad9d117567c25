#include "app/ui/common/blocking_call.h"

#include <QEventLoop>
#include <QObject>

#include <exception>
#include <thread>

namespace kb {

void RunBlockingCall(const std::function<void(const BlockingCallProgress& report)>& work,
                     const BlockingCallProgress& onProgress) {
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
    std::thread worker([&] {
        try {
            work(report);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&receiver, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace kb
