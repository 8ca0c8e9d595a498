#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>
#include <memory>

namespace dealcast::web {
class Hosts;
}
namespace dealcast::sandbox {
class AffiliatePlatformService;
class SandboxHub;
}  // namespace dealcast::sandbox

namespace dealcast::gui::test {

// The sandbox every browser of the test process is routed to: started before the application, since the
// browser engine takes its routing once. Its services are those of the test program's main().
sandbox::SandboxHub& sharedSandbox();
const web::Hosts& sharedHosts();
sandbox::AffiliatePlatformService& sharedAffiliatePlatform();

// Runs the Qt event loop until `done` holds or `ms` pass; the result of `done` at the end.
inline bool processUntil(const std::function<bool()>& done, int ms = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace dealcast::gui::test
