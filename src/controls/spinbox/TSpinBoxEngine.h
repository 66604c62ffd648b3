#pragma once

#include <QString>
#include <functional>

#include "TEditBuffer.h"
#include "TNumberFormat.h"
#include "TValueRange.h"

// Everything a spin box decides, without any widget: the committed value
// kept apart from the text being edited, the range and step rules, commits,
// the typing filter and the text shown. Input comes in as plain calls (a
// typed character, a paste, Enter, Escape, a step, the loss of the focus)
// against a caret and selection held as positions, so anything that can
// produce such calls can drive it.
class TSpinBoxEngine {
public:
    explicit TSpinBoxEngine(TNumberFormat format = {});

    float Min() const { return float(range_.Min()); }
    float Max() const { return float(range_.Max()); }
    // The committed value; in Integer mode the nearest whole number.
    float Value() const;
    double CommittedValue() const { return range_.Value(); }
    double LastRequested() const { return range_.LastRequested(); }
    void SetMin(float min);
    void SetMax(float max);
    void SetValue(float value);

    TNumValueType ValueType() const { return valueType_; }
    void SetValueType(TNumValueType type);
    int DecimalDigits() const { return decimalDigits_; }
    void SetDecimalDigits(int digits);
    float Increment() const { return increment_; }
    void SetIncrement(float increment);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    const TNumberFormat& Format() const { return format_; }

    // While loading, settings are recorded and nothing is reported; the
    // range rules run once at the end and the text shows the result.
    bool Loading() const { return range_.Loading(); }
    void BeginLoading() { range_.BeginLoading(); }
    void EndLoading();

    const TEditBuffer& Edit() const { return edit_; }
    const QString& Text() const { return edit_.Text(); }
    // Whether the text changed since the last commit.
    bool TextEdited() const { return edited_; }
    // Text set by code: it waits for a commit like typed text.
    void SetText(const QString& text);
    void Select(int anchor, int cursor) { edit_.Select(anchor, cursor); }

    // What the user does. None of these but Commit and Step changes Value.
    void Type(QChar c);
    void Paste(const QString& clipboard);
    // A text the editor made itself (erasing, cutting, undoing), with its
    // caret and selection.
    void ReceiveText(const QString& text, int anchor, int cursor);
    // Enter, or the focus going to another control.
    void Commit();
    // Escape: the committed value's text comes back, all of it selected.
    void Revert();
    void Step(bool up);

    // Every change of the text, whatever its cause, outside loading.
    std::function<void()> OnTextChange;
    // The end of every commit that runs, outside loading.
    std::function<void()> OnCommit;

private:
    // Shows a committed value that moved visibly, and commits it.
    void Settle(const TValueRange::TOutcome& outcome, bool fromCommit);
    bool MovedVisibly(double from, double to) const;
    QString Display(double value) const;
    // Replaces the text with the committed value's, keeping a selection of
    // the whole text; returns whether the text changed.
    bool ShowCommitted();
    void UserEdited(bool changed);
    void TextChanged();

    TNumberFormat format_;
    TValueRange range_;
    TEditBuffer edit_;
    TNumValueType valueType_ = TNumValueType::Integer;
    int decimalDigits_ = 2;
    float increment_ = 1;
    bool readOnly_ = false;
    bool edited_ = false;
};
