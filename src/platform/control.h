#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace dealcast::platform {

enum class ControlKind {
    EditBox,
    CheckBox,
    RadioBox,
    ComboBox,
    Label,
    Button,
    PictureBox,
    ListView,
    PageControl,
    GroupBox,
    Timer,
    PopupMenu,
    // The place of an embedded web page; the front-end puts its browser there (platform::WindowHost).
    Browser,
};

// Position and size in pixels, relative to the parent, for a front-end that lays controls out as designed.
struct Geometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Geometry&) const = default;
};

// Declaration flags; each applies to the kinds named beside it.
enum ControlFlag : unsigned {
    kMultiLine = 1u << 0,   // edit box
    kReadOnly = 1u << 1,    // edit box
    kPassword = 1u << 2,    // edit box
    kCheckBoxes = 1u << 3,  // list view: a check box per row
    kHidden = 1u << 4,      // any: starts invisible
    kDisabled = 1u << 5,    // any: starts disabled
};

// One row of a window's declaration table. `value` is the designed default, read by kind: the text of an
// edit box, "1" for a checked check box or radio box, the current index of a combo box or page control, the
// period in ms of a timer. `items` are a combo box's entry texts, a list view's column headers, a page
// control's page titles or a popup menu's item texts. A label's text is its caption.
struct ControlDecl {
    // Every member has an initializer, so tables may name only what they set (designated initializers).
    std::string name{};
    ControlKind kind = ControlKind::Label;
    std::string caption{};
    std::string value{};
    std::string parent{};  // group box, page control or picture box that holds the control; empty for the window
    int page = -1;         // page of the parent page control, -1 when not on a page
    std::optional<Geometry> geometry{};
    unsigned flags = 0;
    std::vector<std::string> items{};
    std::string group{};       // radio box: its group; empty means the radio boxes of the same parent
    std::uint32_t colour = 0;  // label: 0xRRGGBB
};

// What changed. Scalar changes carry the new value in `flag` or `value`; a receiver may also read the
// control. Incremental changes (Appended, Row*, CellChanged) carry their data, so a receiver that mirrors the
// control can replay them in revision order (see Control::revision).
enum class ChangeKind {
    Caption,  // also a label's text
    Enabled,  // flag
    Visible,  // flag
    Geometry,
    Text,             // edit box: the whole text was replaced; `text` holds it
    Appended,         // edit box: `text` was appended
    Selection,        // edit box: index = start, value = length (code points)
    ReadOnly,         // flag
    Checked,          // check box, radio box: flag
    Entries,          // combo box: the entry list changed; read the control
    CurrentIndex,     // combo box: index
    Colour,           // label: value = 0xRRGGBB
    Image,            // picture box: read the control
    Columns,          // list view: read the control
    RowInserted,      // list view: index, cells
    RowRemoved,       // list view: index
    RowsCleared,      // list view
    CellChanged,      // list view: index = row, column, text
    RowChecked,       // list view: index, flag
    RowHighlighted,   // list view: index, flag
    CurrentRow,       // list view: index (-1 = none)
    ScrollIntoView,   // list view: index; no state changes, the view scrolls
    CurrentPage,      // page control: index
    PageTitles,       // page control: read the control
    Width,            // page control: value
    Interval,         // timer: value = period in ms, 0 = stopped
    MenuItems,        // popup menu: read the control
    MenuItemEnabled,  // popup menu: index, flag
    Popup,            // popup menu: show it at the pointer; no state changes
};

// "1" or "true" in the declared value: a check box or radio box that starts checked.
bool declaredChecked(const ControlDecl& decl);
// The declared value as a decimal integer; `fallback` when it is empty or not a number.
int declaredNumber(const ControlDecl& decl, int fallback);

class Control;

struct Change {
    const Control* control = nullptr;
    ChangeKind kind = ChangeKind::Caption;
    std::uint64_t revision = 0;
    int index = -1;
    int column = -1;
    std::int64_t value = 0;
    bool flag = false;
    std::string text{};
    std::vector<std::string> cells{};
};

// Receives every change of the controls it was given to. Called on the thread that made the change, after
// the control's lock is released.
class ChangeSink {
public:
    virtual ~ChangeSink() = default;
    virtual void controlChanged(const Change& change) = 0;
};

// A named control of a window model: a thread-safe state holder. Every single operation on a control is
// atomic with respect to the others on it (one mutex per control); notifications go out after the lock is
// released. A setter given the value the control already holds changes nothing and does not notify, so a
// front-end can push user edits back without ping-pong.
class Control {
public:
    Control(const ControlDecl& decl, ChangeSink* sink);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return m_name; }
    ControlKind kind() const { return m_kind; }
    const std::string& parentName() const { return m_parentName; }
    // The container named by parentName(), once the window model holds it; nullptr otherwise.
    Control* parent() const { return m_parent; }
    int page() const { return m_page; }

    std::string caption() const;
    void setCaption(std::string caption);
    bool enabled() const;
    void setEnabled(bool enabled);
    // Enabled and so is every container up its parent chain: disabling a group box disables its children.
    bool effectivelyEnabled() const;
    bool visible() const;
    void setVisible(bool visible);
    std::optional<Geometry> geometry() const;
    void setGeometry(const Geometry& geometry);

    // Counts this control's changes; each notification carries the revision it produced. Changes made
    // under one lock get revisions in the order they were made, so a receiver that mirrors the control
    // replays them in revision order and ignores those at or below the revision of a snapshot it took.
    std::uint64_t revision() const { return m_revision.load(std::memory_order_acquire); }

protected:
    // Call with the lock that guards the changed state held, so revisions follow the order of changes.
    Change makeChange(ChangeKind kind) const;
    // Call with no lock of this control held: observers may read or change the control.
    void publish(const Change& change) const;
    void publish(const std::vector<Change>& changes) const;
    bool observed() const { return m_sink != nullptr; }

    mutable std::mutex m_mutex;

private:
    friend class WindowModel;

    const std::string m_name;
    const ControlKind m_kind;
    const std::string m_parentName;
    const int m_page;
    ChangeSink* const m_sink;
    Control* m_parent = nullptr;  // set while the window model is built, before it is shared
    mutable std::atomic<std::uint64_t> m_revision{0};

    std::string m_caption;
    bool m_enabled;
    bool m_visible;
    std::optional<Geometry> m_geometry;
};

}  // namespace dealcast::platform
