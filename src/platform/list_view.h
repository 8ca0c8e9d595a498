#pragma once

#include "platform/control.h"

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace dealcast::platform {

struct ListRow {
    std::vector<std::string> cells{};
    bool checked = false;
    bool highlighted = false;
    bool operator==(const ListRow&) const = default;
};

// A report list: column headers, rows of text cells, a check box per row where the list has them,
// highlighted (selected) rows and a current row. Workers and the UI share these lists (the send queue, the
// collection lists), so every operation, compound ones included, is one step; withRows() makes a
// find-and-modify one step too. Rows are 0-based; an index out of range changes nothing and reports false
// (or -1, "", nullopt).
class ListView : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::ListView;
    // setCell() reaches at most this many columns, so a wild column number cannot exhaust memory.
    static constexpr int kMaxColumns = 64;

    struct Snapshot {
        std::vector<std::string> columns;
        std::vector<ListRow> rows;
        int currentRow = -1;
        std::uint64_t revision = 0;
    };

    // The list while withRows() holds its lock. Its operations mean what the ListView's own mean; its
    // changes are published when withRows() returns.
    class Rows {
    public:
        int count() const;
        int columnCount() const;
        // Valid until the next change made through this Rows.
        const std::vector<std::string>* cells(int row) const;
        std::string cell(int row, int column) const;
        int find(int column, std::string_view text) const;
        bool setCell(int row, int column, std::string text);
        int insert(int index, std::vector<std::string> cells, bool checked = false);
        int append(std::vector<std::string> cells, bool checked = false);
        bool remove(int row);
        std::optional<std::vector<std::string>> take(int row);
        void clear();
        bool checked(int row) const;
        bool setChecked(int row, bool checked);
        bool highlighted(int row) const;
        bool setHighlighted(int row, bool highlighted);
        int currentRow() const;
        bool setCurrentRow(int row);
        bool scrollIntoView(int row);

    private:
        friend class ListView;
        Rows(ListView& view, std::vector<Change>& changes)
            : m_view(view)
            , m_changes(changes)
        {
        }
        bool valid(int row) const;
        Change& record(ChangeKind kind, int index);
        void moveCurrent(int current);

        ListView& m_view;
        std::vector<Change>& m_changes;
    };

    // Column headers from the declaration's items; a check box per row with kCheckBoxes.
    ListView(const ControlDecl& decl, ChangeSink* sink);

    // Runs fn(Rows&) under the list's lock and returns what it returns. fn must not call this ListView (its
    // lock is taken) nor wait for another thread that does.
    template <class Fn> std::invoke_result_t<Fn, Rows&> withRows(Fn&& fn)
    {
        std::vector<Change> changes;
        const Publisher publisher{*this, changes};  // destroyed after the lock: publishes outside it
        std::lock_guard lock(m_mutex);
        Rows rows(*this, changes);
        return fn(rows);
    }

    std::vector<std::string> columns() const;
    int columnCount() const;
    void setColumns(std::vector<std::string> headers);
    bool hasCheckBoxes() const { return m_checkBoxes; }

    int rowCount() const;
    std::optional<std::vector<std::string>> row(int index) const;
    std::vector<ListRow> rows() const;
    Snapshot snapshot() const;
    std::string cell(int row, int column) const;
    // First row whose cell in `column` equals `text`; -1 when none.
    int findRow(int column, std::string_view text) const;
    bool setCell(int row, int column, std::string text);
    // Index is clamped to 0..rowCount(); returns where the row went.
    int insert(int index, std::vector<std::string> cells, bool checked = false);
    int append(std::vector<std::string> cells, bool checked = false);
    bool remove(int row);
    // The row's cells, removed in the same step: two workers never take the same row.
    std::optional<std::vector<std::string>> takeRow(int row);
    void clear();

    bool isChecked(int row) const;
    // False on a list without check boxes.
    bool setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    std::vector<int> checkedRows() const;
    bool isHighlighted(int row) const;
    bool setHighlighted(int row, bool highlighted);
    std::vector<int> highlightedRows() const;
    // -1 = none. Follows its row when rows are inserted or removed before it; -1 when its row goes.
    int currentRow() const;
    bool setCurrentRow(int row);
    // Asks the view to scroll the row into sight; changes no state.
    bool scrollIntoView(int row);

private:
    struct Publisher {
        const ListView& view;
        std::vector<Change>& changes;
        ~Publisher() { view.publish(changes); }
    };

    std::vector<std::string> m_columns;
    std::vector<ListRow> m_rows;
    int m_current = -1;
    const bool m_checkBoxes;
};

}  // namespace dealcast::platform
