#pragma once

#include "platform/window_model.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dealcast::app {

// Every control table of the main window, in the order the window adds them.
std::vector<std::span<const platform::ControlDecl>> mainWindowControlTables();

// The main window as a UI model: the controls of every subsystem, and the shell's page and toolbar rules.
// Its pages are those of app::Page; the toolbar buttons "图形按钮1" … "图形按钮6" each select one of them.
class MainWindow {
public:
    static constexpr int kWidth = 1045;
    static constexpr int kHeight = 710;
    // Page 0 is wide enough to cover the right-hand panel; the others leave the panel visible.
    static constexpr int kWidePageWidth = 1034;
    static constexpr int kNarrowPageWidth = 584;

    explicit MainWindow(std::string title = "dealcast");
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    platform::WindowModel& model() { return m_model; }
    const platform::WindowModel& model() const { return m_model; }

    // The toolbar rule: sets the page control's width for the page, shows the other five selector buttons,
    // hides the page's own (the background then shows that page as selected) and switches to the page.
    // False, and nothing changes, for a page the window does not have.
    bool selectPage(int page);
    int currentPage() const;

    // The toolbar button that selects `page`; empty for a page the window does not have.
    static std::string_view pageButton(int page);

    // The close and minimise buttons of the toolbar run these; the app shell supplies the close question and
    // the minimising. An empty handler leaves the button without effect. Callable from any thread.
    void setCloseHandler(std::function<void()> handler);
    void setMinimiseHandler(std::function<void()> handler);

private:
    // The page-tab rule: a tab chosen directly only adjusts the width to the page now shown.
    void adjustWidthToCurrentPage();

    platform::WindowModel m_model;
    platform::PageControl* m_pages = nullptr;
};

}  // namespace dealcast::app
