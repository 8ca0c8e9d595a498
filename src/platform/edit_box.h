#pragma once

#include "platform/control.h"

#include <string>
#include <string_view>

namespace dealcast::platform {

// Caret and selection in code points of the UTF-8 text ("\r\n" counts as two). Length 0 is a bare caret.
struct TextSelection {
    int start = 0;
    int length = 0;
    bool operator==(const TextSelection&) const = default;
};

// A text box. Line breaks in its text are "\r\n". The run log grows in one of these for the whole run, so
// append() is amortised O(1) and its notification carries only the appended piece.
class EditBox : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::EditBox;

    struct Snapshot {
        std::string text;
        TextSelection selection;
        std::uint64_t revision = 0;
    };

    EditBox(const ControlDecl& decl, ChangeSink* sink);

    std::string text() const;
    // The text, selection and revision read in one step, for a front-end that mirrors the box.
    Snapshot snapshot() const;
    // Keeps the selection, cut back to the new text's length.
    void setText(std::string text);
    void append(std::string_view piece);
    // Replaces the selected text (inserts at a bare caret) and leaves the caret after the inserted text.
    void replaceSelection(std::string_view text);

    TextSelection selection() const;
    // Clamped to the text: a negative start is 0, a length past the end stops at the end.
    void setSelection(int start, int length);

    bool multiLine() const { return m_multiLine; }
    bool password() const { return m_password; }
    bool readOnly() const;
    void setReadOnly(bool readOnly);

private:
    std::string m_text;
    TextSelection m_selection;
    bool m_readOnly;
    const bool m_multiLine;
    const bool m_password;
};

}  // namespace dealcast::platform
