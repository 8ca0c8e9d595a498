#pragma once

#include "platform/control.h"

namespace dealcast::platform {

// A timer of a window: the UI loop arms it from its period and raises its tick event on the UI thread.
class TimerControl : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Timer;

    TimerControl(const ControlDecl& decl, ChangeSink* sink);

    // Period in ms; 0 = stopped.
    int interval() const;
    // A negative period stops the timer like 0.
    void setInterval(int ms);
    bool running() const { return interval() > 0; }

private:
    int m_interval;
};

}  // namespace dealcast::platform
