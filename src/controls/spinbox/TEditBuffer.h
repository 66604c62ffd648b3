#pragma once

#include <QString>
#include <algorithm>

// A single line of text with its caret and selection as plain positions:
// the selection runs between the anchor and the caret.
class TEditBuffer {
public:
    const QString& Text() const { return text_; }
    int Cursor() const { return cursor_; }
    int Anchor() const { return anchor_; }
    bool HasSelection() const { return cursor_ != anchor_; }
    int SelectionStart() const { return std::min(cursor_, anchor_); }
    int SelectionEnd() const { return std::max(cursor_, anchor_); }
    bool AllSelected() const { return SelectionStart() == 0 && SelectionEnd() == text_.size(); }
    // The characters either side of the caret, null at the ends.
    QChar Before() const;
    QChar After() const;

    // Positions outside the text are brought to its nearer end.
    void Select(int anchor, int cursor);
    // Each returns whether the text changed.
    bool ReplaceSelection(const QString& with);
    // Puts `c` in place of the character after the caret and steps past it.
    bool OverwriteAfter(QChar c);
    // A new text with the caret at its end, or with all of it selected.
    bool SetText(const QString& text, bool selectAll);
    // A new text with the caret at its start and all of it selected.
    bool SetTextSelectedFromEnd(const QString& text);

private:
    QString text_;
    int cursor_ = 0;
    int anchor_ = 0;
};
