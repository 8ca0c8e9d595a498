#include "gui/qt_window_host.h"

#include "gui/gui_thread.h"
#include "gui/web_browser.h"
#include "gui/window_renderer.h"
#include "platform/window_model.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QLayout>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWidget>
#include <functional>

namespace dealcast::gui {
namespace {

// A secondary window: its close button asks the model instead of closing.
class WindowView : public QWidget {
public:
    WindowView(platform::WindowModel& model, std::function<void()> hidden)
        : m_model(model)
        , m_hidden(std::move(hidden))
    {
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        if (!m_model.requestClose()) {
            QWidget::hide();
            m_hidden();
        }
    }

private:
    platform::WindowModel& m_model;
    std::function<void()> m_hidden;
};

}  // namespace

struct QtWindowHost::Entry {
    std::unique_ptr<QWidget> view;
    std::unique_ptr<WindowRenderer> renderer;
    std::map<std::string, std::unique_ptr<WebBrowser>, std::less<>> browsers;
};

QtWindowHost::QtWindowHost(QWidget* owner)
    : m_owner(owner)
{
}

QtWindowHost::~QtWindowHost()
{
    // Browsers before the views that hold their pages.
    for (auto& [model, entry] : m_entries)
        entry->browsers.clear();
}

void QtWindowHost::setOwner(QWidget* owner)
{
    runOnThreadOf(this, [&] { m_owner = owner; });
}

QtWindowHost::Entry& QtWindowHost::entry(platform::WindowModel& window)
{
    auto& slot = m_entries[&window];
    if (slot)
        return *slot;
    slot = std::make_unique<Entry>();
    auto view = std::make_unique<WindowView>(window, [this, &window] { setVisible(window, false); });
    view->setWindowTitle(QString::fromStdString(window.title()));
    view->resize(window.width(), window.height());
    auto* layout = new QVBoxLayout(view.get());
    layout->setContentsMargins(0, 0, 0, 0);
    auto* root = new QWidget(view.get());
    layout->addWidget(root);
    slot->renderer = std::make_unique<WindowRenderer>(window, root);
    slot->view = std::move(view);
    return *slot;
}

QWidget* QtWindowHost::view(platform::WindowModel& window) { return entry(window).view.get(); }

WindowRenderer* QtWindowHost::renderer(platform::WindowModel& window) { return entry(window).renderer.get(); }

void QtWindowHost::setVisible(const platform::WindowModel& window, bool visible)
{
    const std::lock_guard lock(m_visibleMutex);
    if (visible)
        m_visible.insert(&window);
    else
        m_visible.erase(&window);
}

void QtWindowHost::show(platform::WindowModel& window, bool modal)
{
    setVisible(window, true);
    runOnThreadOf(this, [&] {
        QWidget* view = entry(window).view.get();
        if (modal && m_owner && view->parentWidget() != m_owner) {
            view->setParent(m_owner, Qt::Window);
            view->resize(window.width(), window.height());
        }
        view->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
        view->show();
        view->raise();
    });
}

void QtWindowHost::hide(platform::WindowModel& window)
{
    setVisible(window, false);
    runOnThreadOf(this, [&] {
        if (auto it = m_entries.find(&window); it != m_entries.end())
            it->second->view->hide();
    });
}

bool QtWindowHost::isVisible(const platform::WindowModel& window) const
{
    const std::lock_guard lock(m_visibleMutex);
    return m_visible.contains(&window);
}

platform::Browser* QtWindowHost::browser(platform::WindowModel& window, std::string_view control)
{
    platform::Browser* out = nullptr;
    runOnThreadOf(this, [&] {
        Entry& e = entry(window);
        if (auto it = e.browsers.find(control); it != e.browsers.end()) {
            out = it->second.get();
            return;
        }
        QWidget* frame = e.renderer->widget(control);
        if (!frame || !frame->layout())
            return;
        auto browser = std::make_unique<WebBrowser>(frame);
        frame->layout()->addWidget(browser->view());
        out = browser.get();
        e.browsers.emplace(std::string(control), std::move(browser));
    });
    return out;
}

void QtWindowHost::forget(platform::WindowModel& window)
{
    setVisible(window, false);
    runOnThreadOf(this, [&] {
        const auto it = m_entries.find(&window);
        if (it == m_entries.end())
            return;
        it->second->browsers.clear();  // pages before the view that holds them
        it->second->renderer.reset();  // it stops observing the model
        m_entries.erase(it);
    });
}

void QtWindowHost::openExternal(std::string_view address)
{
    const QUrl url(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size())));
    runOnThreadOf(this, [&] { QDesktopServices::openUrl(url); });
}

}  // namespace dealcast::gui
