#include "platform/page_control.h"

namespace dealcast::platform {

PageControl::PageControl(const ControlDecl& decl, ChangeSink* sink)
    : Control(decl, sink)
    , m_titles(decl.items)
    , m_current(declaredNumber(decl, 0))
    , m_width(decl.geometry ? decl.geometry->width : 0)
{
    if (m_current < 0 || m_current >= static_cast<int>(m_titles.size()))
        m_current = m_titles.empty() ? -1 : 0;
}

int PageControl::currentPage() const
{
    std::lock_guard lock(m_mutex);
    return m_current;
}

bool PageControl::setCurrentPage(int page)
{
    Change change;
    {
        std::lock_guard lock(m_mutex);
        if (page < 0 || page >= static_cast<int>(m_titles.size()))
            return false;
        if (page == m_current)
            return true;
        m_current = page;
        change = makeChange(ChangeKind::CurrentPage);
        change.index = page;
    }
    publish(change);
    return true;
}

std::vector<std::string> PageControl::pageTitles() const
{
    std::lock_guard lock(m_mutex);
    return m_titles;
}

int PageControl::pageCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_titles.size());
}

void PageControl::setPageTitles(std::vector<std::string> titles)
{
    std::vector<Change> changes;
    {
        std::lock_guard lock(m_mutex);
        if (titles == m_titles)
            return;
        m_titles = std::move(titles);
        changes.push_back(makeChange(ChangeKind::PageTitles));
        const int count = static_cast<int>(m_titles.size());
        const int current = m_current >= 0 && m_current < count ? m_current : (count > 0 ? 0 : -1);
        if (current != m_current) {
            m_current = current;
            changes.emplace_back(makeChange(ChangeKind::CurrentPage)).index = current;
        }
    }
    publish(changes);
}

int PageControl::width() const
{
    std::lock_guard lock(m_mutex);
    return m_width;
}

void PageControl::setWidth(int width)
{
    Change change;
    {
        std::lock_guard lock(m_mutex);
        if (width == m_width)
            return;
        m_width = width;
        change = makeChange(ChangeKind::Width);
        change.value = width;
    }
    publish(change);
}

}  // namespace dealcast::platform
