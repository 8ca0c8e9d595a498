#include "platform/control.h"

#include <charconv>

namespace dealcast::platform {

bool declaredChecked(const ControlDecl& decl)
{
    return decl.value == "1" || decl.value == "true";
}

int declaredNumber(const ControlDecl& decl, int fallback)
{
    const std::string& text = decl.value;
    int value = fallback;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return fallback;
    return value;
}

Control::Control(const ControlDecl& decl, ChangeSink* sink)
    : m_name(decl.name)
    , m_kind(decl.kind)
    , m_parentName(decl.parent)
    , m_page(decl.page)
    , m_sink(sink)
    , m_caption(decl.caption)
    , m_enabled((decl.flags & kDisabled) == 0)
    , m_visible((decl.flags & kHidden) == 0)
    , m_geometry(decl.geometry)
{
}

std::string Control::caption() const
{
    std::lock_guard lock(m_mutex);
    return m_caption;
}

void Control::setCaption(std::string caption)
{
    Change change;
    {
        std::lock_guard lock(m_mutex);
        if (m_caption == caption)
            return;
        m_caption = std::move(caption);
        change = makeChange(ChangeKind::Caption);
        if (observed())
            change.text = m_caption;
    }
    publish(change);
}

bool Control::enabled() const
{
    std::lock_guard lock(m_mutex);
    return m_enabled;
}

void Control::setEnabled(bool enabled)
{
    Change change;
    {
        std::lock_guard lock(m_mutex);
        if (m_enabled == enabled)
            return;
        m_enabled = enabled;
        change = makeChange(ChangeKind::Enabled);
        change.flag = enabled;
    }
    publish(change);
}

bool Control::effectivelyEnabled() const
{
    // The window model refuses parent links that would form a cycle, so this walk ends.
    for (const Control* c = this; c != nullptr; c = c->m_parent) {
        if (!c->enabled())
            return false;
    }
    return true;
}

bool Control::visible() const
{
    std::lock_guard lock(m_mutex);
    return m_visible;
}

void Control::setVisible(bool visible)
{
    Change change;
    {
        std::lock_guard lock(m_mutex);
        if (m_visible == visible)
            return;
        m_visible = visible;
        change = makeChange(ChangeKind::Visible);
        change.flag = visible;
    }
    publish(change);
}

std::optional<Geometry> Control::geometry() const
{
    std::lock_guard lock(m_mutex);
    return m_geometry;
}

void Control::setGeometry(const Geometry& geometry)
{
    Change change;
    {
        std::lock_guard lock(m_mutex);
        if (m_geometry == geometry)
            return;
        m_geometry = geometry;
        change = makeChange(ChangeKind::Geometry);
    }
    publish(change);
}

Change Control::makeChange(ChangeKind kind) const
{
    Change change;
    change.control = this;
    change.kind = kind;
    change.revision = m_revision.fetch_add(1, std::memory_order_acq_rel) + 1;
    return change;
}

void Control::publish(const Change& change) const
{
    if (m_sink != nullptr && change.control != nullptr)
        m_sink->controlChanged(change);
}

void Control::publish(const std::vector<Change>& changes) const
{
    for (const Change& change : changes)
        publish(change);
}

}  // namespace dealcast::platform
