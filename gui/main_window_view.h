#pragma once

#include "gui/window_renderer.h"

#include <QWidget>
#include <memory>

namespace dealcast::app {
class MainWindow;
}

namespace dealcast::gui {

// The main window on screen: the toolbar band across the top (the page selectors, close, minimise, the
// version and "beta"), the page control below it, and the right-hand panel beside the narrow pages. The wide
// first page covers the panel, as its width says. Closing the window asks the close question through the
// model's close button, so the program decides whether it ends.
class MainWindowView : public QWidget {
    Q_OBJECT
public:
    // The main window outlives the view.
    explicit MainWindowView(app::MainWindow& window, QWidget* parent = nullptr);
    ~MainWindowView() override;

    WindowRenderer& renderer() { return *m_renderer; }
    // The widget of a control of the main window; nullptr for an unknown name.
    QWidget* widget(std::string_view name) const { return m_renderer->widget(name); }
    QWidget* panel() const { return m_panel; }
    // Puts a web view where the model's announcement placeholder sits on the first page.
    void embedAnnouncement(QWidget* webView);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    app::MainWindow& m_window;
    QWidget* m_panel = nullptr;
    std::unique_ptr<WindowRenderer> m_renderer;
};

}  // namespace dealcast::gui
