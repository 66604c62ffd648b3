#include "TSpinBoxEngine.h"

#include <cmath>

namespace {

// A string ends its first line at a line break of any platform's kind.
qsizetype FirstLineEnd(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text.at(i) == u'\r' || text.at(i) == u'\n') return i;
    return text.size();
}

}  // namespace

TSpinBoxEngine::TSpinBoxEngine(TNumberFormat format) : format_(format) {
    edit_.SetText(Display(range_.Value()), false);
}

float TSpinBoxEngine::Value() const {
    double value = range_.Value();
    if (valueType_ == TNumValueType::Integer) value = TNumberFormat::RoundHalfEven(value);
    return value == 0 ? 0.0f : float(value);  // no negative zero
}

void TSpinBoxEngine::SetMin(float min) {
    Settle(range_.RequestMin(min), false);
}

void TSpinBoxEngine::SetMax(float max) {
    Settle(range_.RequestMax(max), false);
}

void TSpinBoxEngine::SetValue(float value) {
    Settle(range_.RequestValue(value), false);
}

void TSpinBoxEngine::SetValueType(TNumValueType type) {
    if (type == valueType_) return;
    valueType_ = type;
    // Text being edited stays; the shown value takes the new form.
    if (!Loading() && !edited_ && ShowCommitted()) TextChanged();
}

void TSpinBoxEngine::SetDecimalDigits(int digits) {
    if (digits < 0 || digits == decimalDigits_) return;
    decimalDigits_ = digits;
    if (!Loading() && !edited_ && ShowCommitted()) TextChanged();
}

void TSpinBoxEngine::SetIncrement(float increment) {
    if (!std::isfinite(increment)) return;
    increment = std::max(increment, 0.0f);
    if (std::abs(increment - increment_) <= 0.0001f) return;
    increment_ = increment;
}

void TSpinBoxEngine::EndLoading() {
    if (!Loading()) return;
    range_.EndLoading();
    edit_.SetText(Display(range_.Value()), false);
    edited_ = false;
}

void TSpinBoxEngine::SetText(const QString& text) {
    const bool changed = edit_.SetText(format_.Clean(text), false);
    if (Loading()) return;
    UserEdited(changed);
}

void TSpinBoxEngine::Type(QChar c) {
    if (readOnly_) return;
    // A sign, or a decimal mark where decimals can be typed, never doubles
    // up: typed next to one of its kind it is ignored or takes its place.
    const bool sign = c == u'+' || c == u'-';
    const bool mark = valueType_ == TNumValueType::Float && format_.IsDecimalMark(c);
    if ((sign || mark) && !edit_.HasSelection()) {
        const auto sameKind = [&](QChar other) {
            return sign ? other == u'+' || other == u'-' : format_.IsDecimalMark(other);
        };
        if (sameKind(edit_.Before())) return;
        if (sameKind(edit_.After())) return UserEdited(edit_.OverwriteAfter(c));
    }
    if (!format_.Typable(c, valueType_)) return;
    UserEdited(edit_.ReplaceSelection(QString(c)));
}

void TSpinBoxEngine::Paste(const QString& clipboard) {
    if (readOnly_) return;
    const QString line = format_.Clean(clipboard.left(FirstLineEnd(clipboard)));
    UserEdited(edit_.ReplaceSelection(line));
}

void TSpinBoxEngine::ReceiveText(const QString& text, int anchor, int cursor) {
    if (readOnly_) return;
    const bool changed = edit_.SetText(format_.Clean(text), false);
    edit_.Select(anchor, cursor);
    UserEdited(changed);
}

void TSpinBoxEngine::Commit() {
    if (!edited_ || Loading()) return;
    QString text = edit_.Text();
    if (text.isEmpty()) text = Display(range_.Min());
    if (const std::optional<double> number = format_.Read(text, valueType_))
        Settle(range_.RequestValue(*number), true);
    // A clamped entry shows the bound, an invalid one the old value.
    const bool changed = ShowCommitted();
    edited_ = false;
    if (changed) TextChanged();
    if (OnCommit) OnCommit();
}

void TSpinBoxEngine::Revert() {
    const bool changed = edit_.SetTextSelectedFromEnd(Display(range_.Value()));
    edited_ = false;
    if (changed) TextChanged();
}

void TSpinBoxEngine::Step(bool up) {
    // What is typed counts first, so a step commits it.
    const std::optional<double> typed = format_.Read(edit_.Text(), valueType_);
    double from = range_.Value();
    if (valueType_ == TNumValueType::Integer) from = TNumberFormat::RoundHalfEven(from);
    Settle(range_.RequestValue(typed.value_or(from)), false);

    const double step = increment_;
    if (!(step > 0)) return;
    // Steps go on from the last request, not from the clamped value: after
    // 25 was entered and shown as 10, the first step down only comes back
    // to 10.
    const double last = range_.LastRequested();
    const double min = range_.Min();
    const double max = range_.Max();
    double target;
    if (up) {
        if (last >= max) return;
        target = last < min ? last + std::ceil((min - last) / step) * step : last + step;
        if (!std::isfinite(target)) target = min;
    } else {
        if (last <= min) return;
        target = last > max ? last - std::ceil((last - max) / step) * step : last - step;
        if (!std::isfinite(target)) target = max;
    }
    const TValueRange::TOutcome outcome = range_.RequestValue(target);
    range_.SetLastRequested(target);
    Settle(outcome, false);
}

void TSpinBoxEngine::Settle(const TValueRange::TOutcome& outcome, bool fromCommit) {
    if (!outcome.changed || fromCommit || Loading()) return;
    if (!MovedVisibly(outcome.previous, range_.Value())) return;
    if (ShowCommitted()) TextChanged();
    // The commit that follows reports the change.
    edited_ = true;
    Commit();
}

bool TSpinBoxEngine::MovedVisibly(double from, double to) const {
    if (decimalDigits_ >= 15) return !TValueRange::SameNumber(from, to);
    return std::abs(to - from) > 0.5 * std::pow(10.0, -decimalDigits_);
}

QString TSpinBoxEngine::Display(double value) const {
    return format_.Display(value, valueType_, decimalDigits_);
}

bool TSpinBoxEngine::ShowCommitted() {
    const QString text = Display(range_.Value());
    if (text == edit_.Text()) return false;
    return edit_.SetText(text, edit_.HasSelection() && edit_.AllSelected());
}

void TSpinBoxEngine::UserEdited(bool changed) {
    if (!changed) return;
    edited_ = true;
    TextChanged();
}

void TSpinBoxEngine::TextChanged() {
    if (!Loading() && OnTextChange) OnTextChange();
}
