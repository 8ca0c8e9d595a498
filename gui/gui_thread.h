#pragma once

#include <functional>

class QObject;

namespace dealcast::gui {

// Runs `work` on the thread of `context` (the GUI thread for the desktop services) and returns once it has run;
// called on that thread, it runs at once. The hand-over is a standard mutex and condition, so what `work` wrote
// is visible to the caller afterwards, to the thread checker as well.
void runOnThreadOf(QObject* context, const std::function<void()>& work);

}  // namespace dealcast::gui
