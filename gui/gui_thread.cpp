#include "gui/gui_thread.h"

#include <QObject>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace dealcast::gui {
namespace {

// One lock for every hand-over, made before any thread starts: the other thread takes it before working, so all
// the calling thread wrote before the call (the hand-over's own state included) is visible there.
std::mutex handoverMutex;
std::condition_variable handoverDone;

}  // namespace

void runOnThreadOf(QObject* context, const std::function<void()>& work)
{
    if (QThread::currentThread() == context->thread()) {
        work();
        return;
    }
    auto done = std::make_shared<bool>(false);
    std::unique_lock lock(handoverMutex);  // held from before the post until the wait
    QMetaObject::invokeMethod(
        context,
        [done, &work] {
            {
                std::lock_guard taken(handoverMutex);
            }
            work();
            std::lock_guard finished(handoverMutex);
            *done = true;
            handoverDone.notify_all();
        },
        Qt::QueuedConnection);
    handoverDone.wait(lock, [&] { return *done; });
}

}  // namespace dealcast::gui
