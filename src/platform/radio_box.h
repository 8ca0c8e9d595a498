#pragma once

#include "platform/control.h"

#include <mutex>
#include <string>
#include <vector>

namespace dealcast::platform {

class RadioBox;

// Radio boxes that exclude each other. Which one is checked lives here, under the group's one lock, so a
// reader never sees two of them checked or a switch half done.
class RadioGroup {
public:
    explicit RadioGroup(std::string name)
        : m_name(std::move(name))
    {
    }
    RadioGroup(const RadioGroup&) = delete;
    RadioGroup& operator=(const RadioGroup&) = delete;

    const std::string& name() const { return m_name; }
    // In declaration order.
    const std::vector<RadioBox*>& members() const { return m_members; }
    RadioBox* checkedBox() const;

private:
    friend class RadioBox;

    const std::string m_name;
    mutable std::mutex m_mutex;
    RadioBox* m_checked = nullptr;
    std::vector<RadioBox*> m_members;  // filled while the window model is built, before it is shared
};

class RadioBox : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::RadioBox;

    // Joins `group`; a box declared checked takes the check from an earlier member.
    RadioBox(const ControlDecl& decl, ChangeSink* sink, RadioGroup& group);

    RadioGroup& group() const { return m_group; }
    bool checked() const;
    // Checking unchecks the other members of the group; unchecking leaves the group with none checked.
    void setChecked(bool checked);

private:
    RadioGroup& m_group;
};

}  // namespace dealcast::platform
