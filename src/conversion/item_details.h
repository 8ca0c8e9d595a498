#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace dealcast::platform {
class Dialogs;
class WindowModel;
}  // namespace dealcast::platform

namespace dealcast::conversion {

struct ConversionServices;

// The lists whose context menus open the product details.
enum class DetailsList { Collection = 1, BigData = 2, Monitor = 3, Queue = 4 };

// The product text (column 1) of the list's selected row: the current row, else the first highlighted one;
// "" when no row is selected.
std::string selectedRowText(const platform::WindowModel& window, DetailsList list);

// The product details view: looks the product of a row up and fills the product area of the main window
// (picture, prices, sales, copy text) and its plan list. Synchronous; run it on a worker.
class ItemDetails {
public:
    // `loggedIn` is the affiliate session's login check.
    ItemDetails(const ConversionServices& services, platform::Dialogs& dialogs, std::function<bool()> loggedIn);

    // False when it stopped early; the reason went to the run log.
    bool show(std::string_view rowText);
    bool showSelected(DetailsList list);

private:
    const ConversionServices& m_services;
    platform::Dialogs& m_dialogs;
    std::function<bool()> m_loggedIn;
};

}  // namespace dealcast::conversion
