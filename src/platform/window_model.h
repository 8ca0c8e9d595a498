#pragma once

#include "platform/browser_control.h"
#include "platform/button.h"
#include "platform/check_box.h"
#include "platform/combo_box.h"
#include "platform/control.h"
#include "platform/control_events.h"
#include "platform/edit_box.h"
#include "platform/group_box.h"
#include "platform/label.h"
#include "platform/list_view.h"
#include "platform/page_control.h"
#include "platform/picture_box.h"
#include "platform/popup_menu.h"
#include "platform/radio_box.h"
#include "platform/timer_control.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace dealcast::platform {

// A window as a toolkit-neutral model: its controls by name, the handlers bound to their events, and the
// observers of their changes. A front-end renders it from the declarations and the change notifications and
// pushes user edits back through the controls' setters; headless runs drive it by raising events.
//
// The model is built (add/addAll) before it is shared with other threads; from then on its controls are
// safe to use from any thread, and bind/raise/subscribe may be called from any thread.
class WindowModel : private ChangeSink {
public:
    using Observer = std::function<void(const Change&)>;
    using SubscriptionId = std::uint64_t;

    WindowModel(std::string title, int width, int height);
    ~WindowModel() override;
    WindowModel(const WindowModel&) = delete;
    WindowModel& operator=(const WindowModel&) = delete;

    const std::string& title() const { return m_title; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    // Creates the control a declaration describes; nullptr (and nothing added) for an empty or taken name.
    // Parents may be declared before or after their children; a parent link that would form a cycle is
    // left out.
    Control* add(const ControlDecl& decl);
    // Adds every declaration it can; false when any was refused.
    bool addAll(std::span<const ControlDecl> decls);

    // The control of that name and class; nullptr for an unknown name or another kind.
    template <class T = Control> T* find(std::string_view name) const
    {
        const auto it = m_byName.find(name);
        if (it == m_byName.end())
            return nullptr;
        if constexpr (std::is_same_v<T, Control>)
            return it->second;
        else
            return it->second->kind() == T::kKind ? static_cast<T*>(it->second) : nullptr;
    }

    // In declaration order.
    std::vector<Control*> controls() const;
    std::vector<Control*> controls(ControlKind kind) const;
    template <class T> std::vector<T*> all() const
    {
        std::vector<T*> out;
        for (const auto& c : m_controls) {
            if (c->kind() == T::kKind)
                out.push_back(static_cast<T*>(c.get()));
        }
        return out;
    }
    // The group named in radio box declarations (their parent's name when they name none); nullptr if none.
    RadioGroup* radioGroup(std::string_view name) const;

    // Observers see every change of every control, on the thread that made it, with no control lock held.
    // A notification already under way may still reach an observer just unsubscribed.
    SubscriptionId subscribe(Observer observer);
    void unsubscribe(SubscriptionId id);

    // One handler per control and event type; binding again replaces it, an empty handler unbinds.
    // False for an unknown control name.
    bool bind(std::string_view name, EventType type, EventHandler handler);
    // Runs the bound handler synchronously on the calling thread (the UI loop makes that the UI thread).
    // True when a handler ran; false for an unknown name or an unbound event, which are ignored.
    bool raise(std::string_view name, EventType type, EventArgs args = {});

    // The window's own close request (its title bar's close button): runs the handler; without one the
    // front-end simply hides the window. Callable from any thread.
    void setCloseRequestHandler(std::function<void()> handler);
    // True when a handler ran.
    bool requestClose();

private:
    using ObserverList = std::vector<std::pair<SubscriptionId, Observer>>;

    void controlChanged(const Change& change) override;
    std::unique_ptr<Control> create(const ControlDecl& decl);
    static bool formsCycle(const Control* child, const Control* parent);

    const std::string m_title;
    const int m_width;
    const int m_height;

    // Declared before the controls, so radio boxes go before the groups they point into.
    std::map<std::string, std::unique_ptr<RadioGroup>, std::less<>> m_radioGroups;
    std::vector<std::unique_ptr<Control>> m_controls;
    std::map<std::string, Control*, std::less<>> m_byName;

    mutable std::mutex m_handlerMutex;
    std::map<std::pair<std::string, EventType>, std::shared_ptr<const EventHandler>> m_handlers;

    mutable std::mutex m_closeMutex;
    std::shared_ptr<const std::function<void()>> m_closeHandler;

    mutable std::mutex m_observerMutex;
    std::shared_ptr<const ObserverList> m_observers;  // replaced, never changed in place
    SubscriptionId m_nextSubscription = 1;
};

}  // namespace dealcast::platform
