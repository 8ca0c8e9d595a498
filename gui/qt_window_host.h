#pragma once

#include "platform/window_host.h"

#include <QObject>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

class QWidget;

namespace dealcast::gui {

class WebBrowser;
class WindowRenderer;

// The program's secondary windows on the desktop: each window model gets a top-level widget rendered from its
// controls on first use, with a web view in each browser control. Closing a window by its title bar asks the
// model (WindowModel::requestClose); without a close handler the window is simply hidden. A view lives until
// its model's owner calls forget(), or as long as the host.
class QtWindowHost final : public QObject, public platform::WindowHost {
    Q_OBJECT
public:
    // Create on the GUI thread. Modal windows are modal to `owner` (the main window) when it is given.
    explicit QtWindowHost(QWidget* owner = nullptr);
    ~QtWindowHost() override;

    void setOwner(QWidget* owner);

    void show(platform::WindowModel& window, bool modal = false) override;
    void hide(platform::WindowModel& window) override;
    bool isVisible(const platform::WindowModel& window) const override;
    platform::Browser* browser(platform::WindowModel& window, std::string_view control) override;
    void openExternal(std::string_view address) override;
    void forget(platform::WindowModel& window) override;

    // The window's top-level widget, created on first use (GUI thread only; tests and screenshots).
    QWidget* view(platform::WindowModel& window);
    WindowRenderer* renderer(platform::WindowModel& window);

private:
    struct Entry;
    Entry& entry(platform::WindowModel& window);  // GUI thread only
    void setVisible(const platform::WindowModel& window, bool visible);

    QWidget* m_owner = nullptr;
    std::map<const platform::WindowModel*, std::unique_ptr<Entry>> m_entries;  // GUI thread only
    mutable std::mutex m_visibleMutex;
    std::set<const platform::WindowModel*> m_visible;
};

}  // namespace dealcast::gui
