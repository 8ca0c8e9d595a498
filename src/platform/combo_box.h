#pragma once

#include "platform/control.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace dealcast::platform {

// The value an entry carries besides its text: a number or a text (a slot's PID, a guide's id).
using ItemValue = std::variant<std::int64_t, std::string>;

struct ComboEntry {
    std::string text{};
    ItemValue value = std::int64_t{0};
    bool operator==(const ComboEntry&) const = default;
};

class ComboBox : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::ComboBox;

    ComboBox(const ControlDecl& decl, ChangeSink* sink);

    std::vector<ComboEntry> entries() const;
    int count() const;
    std::optional<ComboEntry> entry(int index) const;
    // Returns the new entry's index.
    int add(std::string text, ItemValue value = std::int64_t{0});
    // Replaces every entry and the current index in one step, so no reader sees the list half filled.
    void setEntries(std::vector<ComboEntry> entries, int currentIndex = -1);
    void clear();
    // Index of the first entry with this text or value, -1 when there is none.
    int find(std::string_view text) const;
    int findValue(const ItemValue& value) const;

    // -1 = none.
    int currentIndex() const;
    // False (and nothing changes) for an index outside -1..count()-1.
    bool setCurrentIndex(int index);
    std::optional<ComboEntry> current() const;

private:
    std::vector<ComboEntry> m_entries;
    int m_current = -1;
};

}  // namespace dealcast::platform
