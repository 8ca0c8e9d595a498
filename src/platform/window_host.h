#pragma once

#include <mutex>
#include <set>
#include <string_view>

namespace dealcast::platform {

class Browser;
class WindowModel;

// What the desktop does with the program's secondary windows (login, authorization, slot windows): it shows
// and hides their models and supplies the embedded browser behind a window's browser control. Callable from
// any thread; the desktop carries the work out on its UI thread.
class WindowHost {
public:
    virtual ~WindowHost() = default;

    // Shows the window (creating its view on first use); a modal window blocks input to the others while shown.
    virtual void show(WindowModel& window, bool modal = false) = 0;
    // Hides it; a hidden window keeps its model and browser.
    virtual void hide(WindowModel& window) = 0;
    virtual bool isVisible(const WindowModel& window) const = 0;
    // The browser behind the window's browser control, created on first use and kept for the window's life;
    // nullptr where the front-end has no browser (the core-only headless runner).
    virtual Browser* browser(WindowModel& window, std::string_view control) = 0;
    // Opens an address in the user's own web browser.
    virtual void openExternal(std::string_view address) = 0;
    // Drops the window's view and browsers: its model is about to go. Its owner calls this before then.
    virtual void forget(WindowModel& window) = 0;
};

// A host without a desktop: windows are remembered as shown or hidden, there is no browser, and external
// addresses are dropped. Used by the core-only headless runner.
class NullWindowHost final : public WindowHost {
public:
    void show(WindowModel& window, bool modal = false) override;
    void hide(WindowModel& window) override;
    bool isVisible(const WindowModel& window) const override;
    Browser* browser(WindowModel&, std::string_view) override { return nullptr; }
    void openExternal(std::string_view) override {}
    void forget(WindowModel& window) override { hide(window); }

private:
    mutable std::mutex m_mutex;
    std::set<const WindowModel*> m_visible;
};

}  // namespace dealcast::platform
