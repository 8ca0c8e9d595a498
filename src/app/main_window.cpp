#include "app/main_window.h"

#include "app/app_controls.h"
#include "collection/collection_controls.h"
#include "conversion/conversion_controls.h"
#include "relay/relay_controls.h"
#include "sending/sending_controls.h"
#include "session/session_controls.h"
#include "slots/slots_controls.h"

#include <array>

namespace dealcast::app {

namespace {

// Indexed by page.
constexpr std::array<std::string_view, kPageCount> kPageButtons = {
    controls::kPageButton1, controls::kPageButton6, controls::kPageButton3,
    controls::kPageButton5, controls::kPageButton4, controls::kPageButton2,
};

int widthForPage(int page)
{
    return page == kBasicSettingsPage ? MainWindow::kWidePageWidth : MainWindow::kNarrowPageWidth;
}

platform::EventHandler runs(std::function<void()> action)
{
    if (!action)
        return {};
    return [action = std::move(action)](const platform::EventArgs&) { action(); };
}

}  // namespace

std::vector<std::span<const platform::ControlDecl>> mainWindowControlTables()
{
    return {
        appControls(),
        session::sessionControls(),
        slots::slotsControls(),
        conversion::conversionControls(),
        sending::sendingControls(),
        relay::relayControls(),
        collection::collectionControls(),
    };
}

MainWindow::MainWindow(std::string title)
    : m_model(std::move(title), kWidth, kHeight)
{
    for (const auto& table : mainWindowControlTables())
        m_model.addAll(table);
    m_pages = m_model.find<platform::PageControl>(controls::kPages);

    for (int page = 0; page < kPageCount; ++page)
        m_model.bind(kPageButtons[page], platform::EventType::Clicked, [this, page](const auto&) { selectPage(page); });
    m_model.bind(controls::kPages, platform::EventType::Changed, [this](const auto&) { adjustWidthToCurrentPage(); });
}

bool MainWindow::selectPage(int page)
{
    if (m_pages == nullptr || page < 0 || page >= kPageCount || page >= m_pages->pageCount())
        return false;
    m_pages->setWidth(widthForPage(page));
    for (int other = 0; other < kPageCount; ++other) {
        if (auto* button = m_model.find<platform::Button>(kPageButtons[other]))
            button->setVisible(other != page);
    }
    m_pages->setCurrentPage(page);
    return true;
}

int MainWindow::currentPage() const
{
    return m_pages != nullptr ? m_pages->currentPage() : -1;
}

std::string_view MainWindow::pageButton(int page)
{
    return page >= 0 && page < kPageCount ? kPageButtons[page] : std::string_view();
}

void MainWindow::setCloseHandler(std::function<void()> handler)
{
    m_model.bind(controls::kCloseButton, platform::EventType::Clicked, runs(std::move(handler)));
}

void MainWindow::setMinimiseHandler(std::function<void()> handler)
{
    m_model.bind(controls::kMinimiseButton, platform::EventType::Clicked, runs(std::move(handler)));
}

void MainWindow::adjustWidthToCurrentPage()
{
    if (m_pages != nullptr && m_pages->currentPage() >= 0)
        m_pages->setWidth(widthForPage(m_pages->currentPage()));
}

}  // namespace dealcast::app
