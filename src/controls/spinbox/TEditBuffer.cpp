#include "TEditBuffer.h"

#include <algorithm>

QChar TEditBuffer::Before() const {
    return cursor_ > 0 ? text_.at(cursor_ - 1) : QChar();
}

QChar TEditBuffer::After() const {
    return cursor_ < text_.size() ? text_.at(cursor_) : QChar();
}

void TEditBuffer::Select(int anchor, int cursor) {
    const int size = int(text_.size());
    anchor_ = std::clamp(anchor, 0, size);
    cursor_ = std::clamp(cursor, 0, size);
}

bool TEditBuffer::ReplaceSelection(const QString& with) {
    const int start = SelectionStart();
    const int length = SelectionEnd() - start;
    const bool changed = length > 0 || !with.isEmpty();
    text_.replace(start, length, with);
    cursor_ = anchor_ = start + int(with.size());
    return changed;
}

bool TEditBuffer::OverwriteAfter(QChar c) {
    if (cursor_ >= text_.size()) return false;
    const bool changed = text_.at(cursor_) != c;
    text_[cursor_] = c;
    anchor_ = ++cursor_;
    return changed;
}

bool TEditBuffer::SetText(const QString& text, bool selectAll) {
    const bool changed = text != text_;
    text_ = text;
    cursor_ = int(text_.size());
    anchor_ = selectAll ? 0 : cursor_;
    return changed;
}

bool TEditBuffer::SetTextSelectedFromEnd(const QString& text) {
    const bool changed = text != text_;
    text_ = text;
    anchor_ = int(text_.size());
    cursor_ = 0;
    return changed;
}
