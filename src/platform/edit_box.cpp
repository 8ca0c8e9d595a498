#include "platform/edit_box.h"

#include <algorithm>
#include <vector>

namespace dealcast::platform {
namespace {

bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

int codePointCount(std::string_view text)
{
    return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) { return !isContinuation(c); }));
}

// Byte offset of code point `index`, or the text's size when it has no more code points.
std::size_t byteOffset(std::string_view text, int index)
{
    int seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isContinuation(text[i]))
            continue;
        if (seen == index)
            return i;
        ++seen;
    }
    return text.size();
}

TextSelection clampSelection(TextSelection s, int length)
{
    s.start = std::clamp(s.start, 0, length);
    s.length = std::clamp(s.length, 0, length - s.start);
    return s;
}

}  // namespace

EditBox::EditBox(const ControlDecl& decl, ChangeSink* sink)
    : Control(decl, sink)
    , m_text(decl.value)
    , m_readOnly((decl.flags & kReadOnly) != 0)
    , m_multiLine((decl.flags & kMultiLine) != 0)
    , m_password((decl.flags & kPassword) != 0)
{
}

std::string EditBox::text() const
{
    std::lock_guard lock(m_mutex);
    return m_text;
}

EditBox::Snapshot EditBox::snapshot() const
{
    std::lock_guard lock(m_mutex);
    return Snapshot{m_text, m_selection, revision()};
}

void EditBox::setText(std::string text)
{
    std::vector<Change> changes;
    {
        std::lock_guard lock(m_mutex);
        if (m_text == text)
            return;
        m_text = std::move(text);
        Change& change = changes.emplace_back(makeChange(ChangeKind::Text));
        if (observed())
            change.text = m_text;
        const TextSelection clamped = clampSelection(m_selection, codePointCount(m_text));
        if (clamped != m_selection) {
            m_selection = clamped;
            Change& sel = changes.emplace_back(makeChange(ChangeKind::Selection));
            sel.index = clamped.start;
            sel.value = clamped.length;
        }
    }
    publish(changes);
}

void EditBox::append(std::string_view piece)
{
    if (piece.empty())
        return;
    Change change;
    {
        std::lock_guard lock(m_mutex);
        m_text.append(piece);
        change = makeChange(ChangeKind::Appended);
    }
    // Only the piece travels: copying the whole text per append would make a long run quadratic.
    if (observed()) {
        change.text = piece;
        publish(change);
    }
}

void EditBox::replaceSelection(std::string_view text)
{
    std::vector<Change> changes;
    {
        std::lock_guard lock(m_mutex);
        if (text.empty() && m_selection.length == 0)
            return;
        const std::size_t from = byteOffset(m_text, m_selection.start);
        const std::size_t to = byteOffset(m_text, m_selection.start + m_selection.length);
        m_text.replace(from, to - from, text);
        Change& change = changes.emplace_back(makeChange(ChangeKind::Text));
        if (observed())
            change.text = m_text;
        const TextSelection caret{m_selection.start + codePointCount(text), 0};
        if (caret != m_selection) {
            m_selection = caret;
            Change& sel = changes.emplace_back(makeChange(ChangeKind::Selection));
            sel.index = caret.start;
            sel.value = 0;
        }
    }
    publish(changes);
}

TextSelection EditBox::selection() const
{
    std::lock_guard lock(m_mutex);
    return m_selection;
}

void EditBox::setSelection(int start, int length)
{
    Change change;
    {
        std::lock_guard lock(m_mutex);
        const TextSelection wanted = clampSelection({start, length}, codePointCount(m_text));
        if (wanted == m_selection)
            return;
        m_selection = wanted;
        change = makeChange(ChangeKind::Selection);
        change.index = wanted.start;
        change.value = wanted.length;
    }
    publish(change);
}

bool EditBox::readOnly() const
{
    std::lock_guard lock(m_mutex);
    return m_readOnly;
}

void EditBox::setReadOnly(bool readOnly)
{
    Change change;
    {
        std::lock_guard lock(m_mutex);
        if (m_readOnly == readOnly)
            return;
        m_readOnly = readOnly;
        change = makeChange(ChangeKind::ReadOnly);
        change.flag = readOnly;
    }
    publish(change);
}

}  // namespace dealcast::platform
