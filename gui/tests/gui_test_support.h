#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

namespace dealcast::gui::test {

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
