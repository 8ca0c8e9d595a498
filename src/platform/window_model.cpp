#include "platform/window_model.h"

namespace dealcast::platform {

WindowModel::WindowModel(std::string title, int width, int height)
    : m_title(std::move(title))
    , m_width(width)
    , m_height(height)
    , m_observers(std::make_shared<const ObserverList>())
{
}

WindowModel::~WindowModel() = default;

std::unique_ptr<Control> WindowModel::create(const ControlDecl& decl)
{
    ChangeSink* sink = this;
    switch (decl.kind) {
    case ControlKind::EditBox:
        return std::make_unique<EditBox>(decl, sink);
    case ControlKind::CheckBox:
        return std::make_unique<CheckBox>(decl, sink);
    case ControlKind::RadioBox: {
        const std::string& groupName = decl.group.empty() ? decl.parent : decl.group;
        auto it = m_radioGroups.find(groupName);
        if (it == m_radioGroups.end())
            it = m_radioGroups.emplace(groupName, std::make_unique<RadioGroup>(groupName)).first;
        return std::make_unique<RadioBox>(decl, sink, *it->second);
    }
    case ControlKind::ComboBox:
        return std::make_unique<ComboBox>(decl, sink);
    case ControlKind::Label:
        return std::make_unique<Label>(decl, sink);
    case ControlKind::Button:
        return std::make_unique<Button>(decl, sink);
    case ControlKind::PictureBox:
        return std::make_unique<PictureBox>(decl, sink);
    case ControlKind::ListView:
        return std::make_unique<ListView>(decl, sink);
    case ControlKind::PageControl:
        return std::make_unique<PageControl>(decl, sink);
    case ControlKind::GroupBox:
        return std::make_unique<GroupBox>(decl, sink);
    case ControlKind::Timer:
        return std::make_unique<TimerControl>(decl, sink);
    case ControlKind::PopupMenu:
        return std::make_unique<PopupMenu>(decl, sink);
    case ControlKind::Browser:
        return std::make_unique<BrowserControl>(decl, sink);
    }
    return nullptr;
}

bool WindowModel::formsCycle(const Control* child, const Control* parent)
{
    for (const Control* c = parent; c != nullptr; c = c->m_parent) {
        if (c == child)
            return true;
    }
    return false;
}

Control* WindowModel::add(const ControlDecl& decl)
{
    if (decl.name.empty() || m_byName.contains(decl.name))
        return nullptr;
    std::unique_ptr<Control> owned = create(decl);
    if (!owned)
        return nullptr;
    Control* control = owned.get();

    if (Control* parent = find(decl.parent); parent != nullptr && !formsCycle(control, parent))
        control->m_parent = parent;
    for (const auto& other : m_controls) {
        if (other->m_parent == nullptr && other->parentName() == decl.name && !formsCycle(other.get(), control))
            other->m_parent = control;
    }

    m_byName.emplace(decl.name, control);
    m_controls.push_back(std::move(owned));
    return control;
}

bool WindowModel::addAll(std::span<const ControlDecl> decls)
{
    bool all = true;
    for (const ControlDecl& decl : decls)
        all = add(decl) != nullptr && all;
    return all;
}

std::vector<Control*> WindowModel::controls() const
{
    std::vector<Control*> out;
    out.reserve(m_controls.size());
    for (const auto& c : m_controls)
        out.push_back(c.get());
    return out;
}

std::vector<Control*> WindowModel::controls(ControlKind kind) const
{
    std::vector<Control*> out;
    for (const auto& c : m_controls) {
        if (c->kind() == kind)
            out.push_back(c.get());
    }
    return out;
}

RadioGroup* WindowModel::radioGroup(std::string_view name) const
{
    const auto it = m_radioGroups.find(name);
    return it == m_radioGroups.end() ? nullptr : it->second.get();
}

WindowModel::SubscriptionId WindowModel::subscribe(Observer observer)
{
    std::lock_guard lock(m_observerMutex);
    auto next = std::make_shared<ObserverList>(*m_observers);
    const SubscriptionId id = m_nextSubscription++;
    next->emplace_back(id, std::move(observer));
    m_observers = std::move(next);
    return id;
}

void WindowModel::unsubscribe(SubscriptionId id)
{
    std::lock_guard lock(m_observerMutex);
    auto next = std::make_shared<ObserverList>(*m_observers);
    std::erase_if(*next, [id](const auto& entry) { return entry.first == id; });
    m_observers = std::move(next);
}

void WindowModel::controlChanged(const Change& change)
{
    std::shared_ptr<const ObserverList> observers;
    {
        std::lock_guard lock(m_observerMutex);
        observers = m_observers;
    }
    // Called with no lock held: an observer may read or change controls, or (un)subscribe.
    for (const auto& [id, observer] : *observers)
        observer(change);
}

bool WindowModel::bind(std::string_view name, EventType type, EventHandler handler)
{
    if (find(name) == nullptr)
        return false;
    std::lock_guard lock(m_handlerMutex);
    std::pair<std::string, EventType> key{std::string(name), type};
    if (handler)
        m_handlers[std::move(key)] = std::make_shared<const EventHandler>(std::move(handler));
    else
        m_handlers.erase(key);
    return true;
}

bool WindowModel::raise(std::string_view name, EventType type, EventArgs args)
{
    std::shared_ptr<const EventHandler> handler;
    {
        std::lock_guard lock(m_handlerMutex);
        const auto it = m_handlers.find({std::string(name), type});
        if (it == m_handlers.end())
            return false;
        handler = it->second;
    }
    // Outside the lock: a handler may bind, raise further events or take its time.
    args.control = std::string(name);
    (*handler)(args);
    return true;
}

void WindowModel::setCloseRequestHandler(std::function<void()> handler)
{
    const std::lock_guard lock(m_closeMutex);
    m_closeHandler = handler ? std::make_shared<const std::function<void()>>(std::move(handler)) : nullptr;
}

bool WindowModel::requestClose()
{
    std::shared_ptr<const std::function<void()>> handler;
    {
        const std::lock_guard lock(m_closeMutex);
        handler = m_closeHandler;
    }
    if (!handler)
        return false;
    (*handler)();
    return true;
}

}  // namespace dealcast::platform
