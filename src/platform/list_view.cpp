#include "platform/list_view.h"

#include <algorithm>

namespace dealcast::platform {
namespace {

int findIn(const std::vector<ListRow>& rows, int column, std::string_view text)
{
    if (column < 0)
        return -1;
    const auto col = static_cast<std::size_t>(column);
    const auto it = std::find_if(rows.begin(), rows.end(),
                                 [&](const ListRow& r) { return col < r.cells.size() && r.cells[col] == text; });
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

}  // namespace

// --- Rows: the operations themselves, run under the list's lock ---

int ListView::Rows::count() const
{
    return static_cast<int>(m_view.m_rows.size());
}

int ListView::Rows::columnCount() const
{
    return static_cast<int>(m_view.m_columns.size());
}

bool ListView::Rows::valid(int row) const
{
    return row >= 0 && row < count();
}

Change& ListView::Rows::record(ChangeKind kind, int index)
{
    Change& change = m_changes.emplace_back(m_view.makeChange(kind));
    change.index = index;
    return change;
}

void ListView::Rows::moveCurrent(int current)
{
    if (current == m_view.m_current)
        return;
    m_view.m_current = current;
    record(ChangeKind::CurrentRow, current);
}

const std::vector<std::string>* ListView::Rows::cells(int row) const
{
    return valid(row) ? &m_view.m_rows[static_cast<std::size_t>(row)].cells : nullptr;
}

std::string ListView::Rows::cell(int row, int column) const
{
    const std::vector<std::string>* c = cells(row);
    if (c == nullptr || column < 0 || column >= static_cast<int>(c->size()))
        return {};
    return (*c)[static_cast<std::size_t>(column)];
}

int ListView::Rows::find(int column, std::string_view text) const
{
    return findIn(m_view.m_rows, column, text);
}

bool ListView::Rows::setCell(int row, int column, std::string text)
{
    if (!valid(row) || column < 0 || column >= kMaxColumns)
        return false;
    auto& cells = m_view.m_rows[static_cast<std::size_t>(row)].cells;
    const auto col = static_cast<std::size_t>(column);
    if (col < cells.size() && cells[col] == text)
        return true;
    if (col >= cells.size())
        cells.resize(col + 1);
    cells[col] = std::move(text);
    Change& change = record(ChangeKind::CellChanged, row);
    change.column = column;
    if (m_view.observed())
        change.text = cells[col];
    return true;
}

int ListView::Rows::insert(int index, std::vector<std::string> cells, bool checked)
{
    const int at = std::clamp(index, 0, count());
    checked = checked && m_view.m_checkBoxes;
    auto& rows = m_view.m_rows;
    const auto it = rows.insert(rows.begin() + at, ListRow{std::move(cells), checked, false});
    Change& change = record(ChangeKind::RowInserted, at);
    change.flag = checked;
    if (m_view.observed())
        change.cells = it->cells;
    if (m_view.m_current >= at)
        moveCurrent(m_view.m_current + 1);
    return at;
}

int ListView::Rows::append(std::vector<std::string> cells, bool checked)
{
    return insert(count(), std::move(cells), checked);
}

bool ListView::Rows::remove(int row)
{
    return take(row).has_value();
}

std::optional<std::vector<std::string>> ListView::Rows::take(int row)
{
    if (!valid(row))
        return std::nullopt;
    auto& rows = m_view.m_rows;
    std::vector<std::string> cells = std::move(rows[static_cast<std::size_t>(row)].cells);
    rows.erase(rows.begin() + row);
    record(ChangeKind::RowRemoved, row);
    const int current = m_view.m_current;
    if (current == row)
        moveCurrent(-1);
    else if (current > row)
        moveCurrent(current - 1);
    return cells;
}

void ListView::Rows::clear()
{
    if (m_view.m_rows.empty())
        return;
    m_view.m_rows.clear();
    record(ChangeKind::RowsCleared, -1);
    moveCurrent(-1);
}

bool ListView::Rows::checked(int row) const
{
    return valid(row) && m_view.m_rows[static_cast<std::size_t>(row)].checked;
}

bool ListView::Rows::setChecked(int row, bool checked)
{
    if (!m_view.m_checkBoxes || !valid(row))
        return false;
    ListRow& r = m_view.m_rows[static_cast<std::size_t>(row)];
    if (r.checked != checked) {
        r.checked = checked;
        record(ChangeKind::RowChecked, row).flag = checked;
    }
    return true;
}

bool ListView::Rows::highlighted(int row) const
{
    return valid(row) && m_view.m_rows[static_cast<std::size_t>(row)].highlighted;
}

bool ListView::Rows::setHighlighted(int row, bool highlighted)
{
    if (!valid(row))
        return false;
    ListRow& r = m_view.m_rows[static_cast<std::size_t>(row)];
    if (r.highlighted != highlighted) {
        r.highlighted = highlighted;
        record(ChangeKind::RowHighlighted, row).flag = highlighted;
    }
    return true;
}

int ListView::Rows::currentRow() const
{
    return m_view.m_current;
}

bool ListView::Rows::setCurrentRow(int row)
{
    if (row != -1 && !valid(row))
        return false;
    moveCurrent(row);
    return true;
}

bool ListView::Rows::scrollIntoView(int row)
{
    if (!valid(row))
        return false;
    record(ChangeKind::ScrollIntoView, row);
    return true;
}

// --- ListView: each operation in one step ---

ListView::ListView(const ControlDecl& decl, ChangeSink* sink)
    : Control(decl, sink)
    , m_columns(decl.items)
    , m_checkBoxes((decl.flags & kCheckBoxes) != 0)
{
}

std::vector<std::string> ListView::columns() const
{
    std::lock_guard lock(m_mutex);
    return m_columns;
}

int ListView::columnCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_columns.size());
}

void ListView::setColumns(std::vector<std::string> headers)
{
    Change change;
    {
        std::lock_guard lock(m_mutex);
        if (headers == m_columns)
            return;
        m_columns = std::move(headers);
        change = makeChange(ChangeKind::Columns);
    }
    publish(change);
}

int ListView::rowCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_rows.size());
}

std::optional<std::vector<std::string>> ListView::row(int index) const
{
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= static_cast<int>(m_rows.size()))
        return std::nullopt;
    return m_rows[static_cast<std::size_t>(index)].cells;
}

std::vector<ListRow> ListView::rows() const
{
    std::lock_guard lock(m_mutex);
    return m_rows;
}

ListView::Snapshot ListView::snapshot() const
{
    std::lock_guard lock(m_mutex);
    return Snapshot{m_columns, m_rows, m_current, revision()};
}

std::string ListView::cell(int row, int column) const
{
    std::lock_guard lock(m_mutex);
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return {};
    const auto& cells = m_rows[static_cast<std::size_t>(row)].cells;
    if (column < 0 || column >= static_cast<int>(cells.size()))
        return {};
    return cells[static_cast<std::size_t>(column)];
}

int ListView::findRow(int column, std::string_view text) const
{
    std::lock_guard lock(m_mutex);
    return findIn(m_rows, column, text);
}

bool ListView::setCell(int row, int column, std::string text)
{
    return withRows([&](Rows& r) { return r.setCell(row, column, std::move(text)); });
}

int ListView::insert(int index, std::vector<std::string> cells, bool checked)
{
    return withRows([&](Rows& r) { return r.insert(index, std::move(cells), checked); });
}

int ListView::append(std::vector<std::string> cells, bool checked)
{
    return withRows([&](Rows& r) { return r.append(std::move(cells), checked); });
}

bool ListView::remove(int row)
{
    return withRows([&](Rows& r) { return r.remove(row); });
}

std::optional<std::vector<std::string>> ListView::takeRow(int row)
{
    return withRows([&](Rows& r) { return r.take(row); });
}

void ListView::clear()
{
    withRows([](Rows& r) { r.clear(); });
}

bool ListView::isChecked(int row) const
{
    std::lock_guard lock(m_mutex);
    return row >= 0 && row < static_cast<int>(m_rows.size()) && m_rows[static_cast<std::size_t>(row)].checked;
}

bool ListView::setChecked(int row, bool checked)
{
    return withRows([&](Rows& r) { return r.setChecked(row, checked); });
}

void ListView::setAllChecked(bool checked)
{
    withRows([&](Rows& r) {
        for (int i = 0; i < r.count(); ++i)
            r.setChecked(i, checked);
    });
}

std::vector<int> ListView::checkedRows() const
{
    std::lock_guard lock(m_mutex);
    std::vector<int> out;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].checked)
            out.push_back(static_cast<int>(i));
    }
    return out;
}

bool ListView::isHighlighted(int row) const
{
    std::lock_guard lock(m_mutex);
    return row >= 0 && row < static_cast<int>(m_rows.size()) && m_rows[static_cast<std::size_t>(row)].highlighted;
}

bool ListView::setHighlighted(int row, bool highlighted)
{
    return withRows([&](Rows& r) { return r.setHighlighted(row, highlighted); });
}

std::vector<int> ListView::highlightedRows() const
{
    std::lock_guard lock(m_mutex);
    std::vector<int> out;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].highlighted)
            out.push_back(static_cast<int>(i));
    }
    return out;
}

int ListView::currentRow() const
{
    std::lock_guard lock(m_mutex);
    return m_current;
}

bool ListView::setCurrentRow(int row)
{
    return withRows([&](Rows& r) { return r.setCurrentRow(row); });
}

bool ListView::scrollIntoView(int row)
{
    return withRows([&](Rows& r) { return r.scrollIntoView(row); });
}

}  // namespace dealcast::platform
