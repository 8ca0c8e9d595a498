#pragma once

#include "platform/control.h"

#include <string>
#include <vector>

namespace dealcast::platform {

// Tabbed pages; controls on a page name the page control as parent and give their page index.
class PageControl : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::PageControl;

    // Titles from the declaration's items, current page from its value (default 0), width from its geometry.
    PageControl(const ControlDecl& decl, ChangeSink* sink);

    int currentPage() const;
    // False (and nothing changes) for a page it does not have.
    bool setCurrentPage(int page);
    std::vector<std::string> pageTitles() const;
    int pageCount() const;
    // Keeps the current page when it still exists, else goes to page 0 (or -1 without pages).
    void setPageTitles(std::vector<std::string> titles);
    int width() const;
    void setWidth(int width);

private:
    std::vector<std::string> m_titles;
    int m_current;
    int m_width;
};

}  // namespace dealcast::platform
