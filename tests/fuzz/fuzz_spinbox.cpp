// The speed box's number engine, set up as the window loads it (Min 1, Max
// 10, Value 10), under any sequence of what a user can do to it: typing,
// pasting, editing, selecting, Enter, Escape, the step buttons, keys and
// wheel, and the focus coming and going. Whatever happens, Value stays a
// whole number from 1 to 10 and the text holds nothing that cleaning drops.

#include <fuzzer/FuzzedDataProvider.h>
#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "controls/spinbox/TSpinBoxEngine.h"

namespace {

// The notations of a few locales: the thousands separator decides what
// cleaning drops and how numbers read.
TNumberFormat formatFor(uint8_t choice) {
    switch (choice % 5) {
        case 1:
            return TNumberFormat(u',', u'.');  // German
        case 2:
            return TNumberFormat(u',', QChar(0x202F));  // French, narrow no-break space
        case 3:
            return TNumberFormat(u'.', QChar(0x2019));  // Swiss, apostrophe
        case 4:
            return TNumberFormat(u'.', QChar());  // no grouping
        default:
            return TNumberFormat();
    }
}

// Characters near the rules: digits, signs, decimal marks, blanks, line
// breaks, separators of every kind, and any other code unit besides.
QChar characterFrom(FuzzedDataProvider& input) {
    static const char16_t kInteresting[] = u"0123456789+-.,  \t\r\n\u00A0\u202F\u2019'eE";
    if (input.ConsumeBool())
        return QChar(
            kInteresting[input.ConsumeIntegralInRange<size_t>(0, std::size(kInteresting) - 2)]);
    return QChar(input.ConsumeIntegral<uint16_t>());
}

QString textFrom(FuzzedDataProvider& input) {
    QString text;
    const size_t length = input.ConsumeIntegralInRange<size_t>(0, 24);
    for (size_t i = 0; i < length && input.remaining_bytes() > 0; ++i) text += characterFrom(input);
    return text;
}

[[noreturn]] void fail(const char* what, const TSpinBoxEngine& engine) {
    std::fprintf(stderr, "fuzz_spinbox: %s (Value %g, text \"%s\")\n", what, double(engine.Value()),
                 qPrintable(engine.Text()));
    std::abort();
}

void check(const TSpinBoxEngine& engine) {
    const float value = engine.Value();
    if (std::isnan(value)) fail("Value is NaN", engine);
    if (value != std::nearbyint(value)) fail("Value is not a whole number", engine);
    if (value < 1 || value > 10) fail("Value outside 1 to 10", engine);
    const double committed = engine.CommittedValue();
    if (!(committed >= 1 && committed <= 10)) fail("committed value outside 1 to 10", engine);
    const QChar thousands = engine.Format().Thousands();
    const bool dropsThousands = !thousands.isNull() && thousands != u'.' && thousands != u',';
    for (QChar c : engine.Text()) {
        if (c.unicode() <= 32 || c.unicode() == 0x00A0 || (dropsThousands && c == thousands))
            fail("the text holds a character that cleaning drops", engine);
    }
    const TEditBuffer& edit = engine.Edit();
    const int length = int(engine.Text().size());
    if (edit.Cursor() < 0 || edit.Cursor() > length || edit.Anchor() < 0 || edit.Anchor() > length)
        fail("caret or selection outside the text", engine);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    TSpinBoxEngine engine(formatFor(input.ConsumeIntegral<uint8_t>()));
    int commits = 0;
    engine.OnCommit = [&] { ++commits; };
    // As the window loads SpinBox2.
    engine.BeginLoading();
    engine.SetMin(1);
    engine.SetMax(10);
    engine.SetValue(10);
    engine.EndLoading();
    check(engine);
    if (engine.Value() != 10 || engine.Text() != QStringLiteral("10"))
        fail("not 10 after loading", engine);

    while (input.remaining_bytes() > 0) {
        const float before = engine.Value();
        const int commitsBefore = commits;
        bool committing = false;
        switch (input.ConsumeIntegralInRange<int>(0, 9)) {
            case 0:
            case 1:  // typed, several characters at a time, as an input method sends them
                for (int n = input.ConsumeIntegralInRange<int>(1, 4); n > 0; --n)
                    engine.Type(characterFrom(input));
                break;
            case 2:  // the clipboard, whatever it holds
                engine.Paste(textFrom(input));
                break;
            case 3: {  // the editor's own editing: erasing, cutting, undoing
                const QString text = textFrom(input);
                const int anchor = input.ConsumeIntegralInRange<int>(-2, int(text.size()) + 2);
                const int cursor = input.ConsumeIntegralInRange<int>(-2, int(text.size()) + 2);
                engine.ReceiveText(text, anchor, cursor);
                break;
            }
            case 4: {  // the caret and the selection, by keys or the mouse
                const int length = int(engine.Text().size());
                engine.Select(input.ConsumeIntegralInRange<int>(-2, length + 2),
                              input.ConsumeIntegralInRange<int>(-2, length + 2));
                break;
            }
            case 5:  // Enter, or the focus going to another control
                committing = true;
                engine.Commit();
                break;
            case 6:  // Escape
                engine.Revert();
                if (engine.Value() != before) fail("Escape changed Value", engine);
                break;
            case 7:  // the plus button, Up, or the wheel turned away
                engine.Step(true);
                break;
            case 8:  // the minus button, Down, or the wheel turned towards the user
                engine.Step(false);
                break;
            case 9:  // the focus comes in: the whole text selected
                engine.Select(0, int(engine.Text().size()));
                break;
        }
        check(engine);
        if (!committing && commits == commitsBefore && engine.Value() != before) {
            // Only steps and commits move Value, and a step that moves it
            // commits.
            fail("Value moved without a commit", engine);
        }
    }
    return 0;
}
