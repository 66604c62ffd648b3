#include <QLocale>
#include <QTest>
#include <cmath>
#include <limits>
#include <random>

#include "controls/spinbox/TSpinBoxEngine.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TNumberFormat formatOf(const QString& locale) {
    return TNumberFormat::FromLocale(QLocale(locale));
}

// The window's speed box as loading leaves it: 1 to 10, at 10.
TSpinBoxEngine speedBox(TNumberFormat format = {}) {
    TSpinBoxEngine box(format);
    box.BeginLoading();
    box.SetMin(1);
    box.SetMax(10);
    box.SetValue(10);
    box.EndLoading();
    return box;
}

// What a user does to replace the whole text by typing.
void typeOver(TSpinBoxEngine& box, const QString& text) {
    box.Select(0, int(box.Text().size()));
    for (QChar c : text) box.Type(c);
}

// Runs a script of user actions: "type 25", "paste x", "clear", "enter",
// "escape", "up", "down", "increment 3".
void run(TSpinBoxEngine& box, const QStringList& script) {
    for (const QString& line : script) {
        const QString verb = line.section(u' ', 0, 0);
        const QString rest = line.section(u' ', 1);
        if (verb == "type")
            typeOver(box, rest);
        else if (verb == "paste")
            box.Paste(rest);
        else if (verb == "clear")
            box.ReceiveText({}, 0, 0);
        else if (verb == "enter")
            box.Commit();
        else if (verb == "escape")
            box.Revert();
        else if (verb == "up")
            box.Step(true);
        else if (verb == "down")
            box.Step(false);
        else if (verb == "increment")
            box.SetIncrement(rest.toFloat());
        else
            QFAIL(qPrintable("unknown action " + line));
    }
}

}  // namespace

// The spin box's rules apart from any widget: reading and showing numbers,
// commits, steps, the range, the typing filter.
class SpinBoxEngineTest : public QObject {
    Q_OBJECT

private slots:
    void commit_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("above the range") << "25" << 10.0f << "10";
        QTest::newRow("zero") << "0" << 1.0f << "1";
        QTest::newRow("negative") << "-3" << 1.0f << "1";
        QTest::newRow("plus sign") << "+7" << 7.0f << "7";
        QTest::newRow("leading zeros") << "007" << 7.0f << "7";
        QTest::newRow("empty is Min") << "" << 1.0f << "1";
        QTest::newRow("minus alone") << "-" << 10.0f << "10";
        QTest::newRow("plus alone") << "+" << 10.0f << "10";
        QTest::newRow("sign inside") << "1-2" << 10.0f << "10";
        QTest::newRow("blanks around") << " 5 " << 5.0f << "5";
        QTest::newRow("decimal rounds half to even") << "2.5" << 2.0f << "2";
        QTest::newRow("odd half rounds up") << "3.5" << 4.0f << "4";
        QTest::newRow("trailing point") << "7." << 7.0f << "7";
        QTest::newRow("letters") << "abc" << 10.0f << "10";
        QTest::newRow("exponent is not decimal") << "1e0" << 10.0f << "10";
        QTest::newRow("beyond 64 bits") << "99999999999999999999" << 10.0f << "10";
        QTest::newRow("beyond single precision") << QString(60, u'9') << 10.0f << "10";
    }
    void commit() {
        QFETCH(QString, text);
        QFETCH(float, value);
        QFETCH(QString, shown);
        TSpinBoxEngine box = speedBox();
        int changes = 0;
        box.OnCommit = [&] { ++changes; };
        box.SetText(text);
        QCOMPARE(box.Value(), 10.0f);  // nothing counts before the commit
        box.Commit();
        QCOMPARE(box.Value(), value);
        QCOMPARE(box.Text(), shown);
        QCOMPARE(changes, 1);
        QVERIFY(!box.TextEdited());
        box.Commit();  // nothing changed since: no second commit
        QCOMPARE(changes, 1);
    }

    void commitReadsTheLocalesSeparators_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        const int i = int(TNumValueType::Integer), f = int(TNumValueType::Float);
        QTest::newRow("grouped, English") << "en_US" << i << "1,000" << 1000.0 << "1000";
        QTest::newRow("grouped, German") << "de_DE" << i << "1.000" << 1000.0 << "1000";
        QTest::newRow("grouped, French") << "fr_FR" << i << u"1\u202F000"_qs << 1000.0 << "1000";
        QTest::newRow("grouped, Swiss") << "de_CH" << i << u"12\u2019345"_qs << 12345.0 << "12345";
        QTest::newRow("decimal, English") << "en_US" << f << "2.5" << 2.5 << "2.50";
        QTest::newRow("decimal, German") << "de_DE" << f << "2,5" << 2.5 << "2,50";
        QTest::newRow("German point groups") << "de_DE" << f << "2.5" << 25.0 << "25,00";
        QTest::newRow("English comma groups") << "en_US" << f << "2,5" << 25.0 << "25.00";
        QTest::newRow("French point is decimal") << "fr_FR" << f << "2.5" << 2.5 << "2,50";
        QTest::newRow("Swiss comma is decimal") << "de_CH" << f << "2,5" << 2.5 << "2.50";
        QTest::newRow("single precision") << "en_US" << f << "0.1" << double(0.1f) << "0.10";
        QTest::newRow("leading point") << "en_US" << f << ".25" << 0.25 << "0.25";
        QTest::newRow("two points") << "en_US" << f << "1.2.3" << 5.0 << "5.00";
        QTest::newRow("point alone") << "en_US" << f << "." << 5.0 << "5.00";
        QTest::newRow("too small to tell from zero")
            << "en_US" << f << "0." + QString(60, u'0') + "1" << 0.0 << "0.00";
    }
    void commitReadsTheLocalesSeparators() {
        QFETCH(QString, locale);
        QFETCH(int, type);
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(QString, shown);
        TSpinBoxEngine box(formatOf(locale));
        box.SetValueType(TNumValueType(type));
        box.SetMax(100000);
        box.SetValue(5);
        box.SetText(text);
        box.Commit();
        QCOMPARE(box.CommittedValue(), value);
        QCOMPARE(box.Text(), shown);
    }

    void steps_data() {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("minus at 10") << QStringList{"down"} << 9.0f << "9";
        QTest::newRow("plus at 10") << QStringList{"up"} << 10.0f << "10";
        QTest::newRow("minus at 1") << QStringList{"type 1", "enter", "down"} << 1.0f << "1";
        QTest::newRow("25 committed, first minus")
            << QStringList{"type 25", "enter", "down"} << 10.0f << "10";
        QTest::newRow("25 committed, second minus")
            << QStringList{"type 25", "enter", "down", "down"} << 9.0f << "9";
        QTest::newRow("0 committed, first plus")
            << QStringList{"type 0", "enter", "up"} << 1.0f << "1";
        QTest::newRow("0 committed, second plus")
            << QStringList{"type 0", "enter", "up", "up"} << 2.0f << "2";
        QTest::newRow("5 typed, then plus") << QStringList{"type 5", "up"} << 6.0f << "6";
        QTest::newRow("5 typed, then minus") << QStringList{"type 5", "down"} << 4.0f << "4";
        QTest::newRow("15 typed, then plus") << QStringList{"type 15", "up"} << 10.0f << "15";
        QTest::newRow("15 typed, plus, then Enter")
            << QStringList{"type 15", "up", "enter"} << 10.0f << "10";
        QTest::newRow("empty while 5, then plus")
            << QStringList{"type 5", "enter", "clear", "up"} << 6.0f << "6";
        QTest::newRow("not a number, then minus") << QStringList{"paste x", "down"} << 9.0f << "9";
        QTest::newRow("no increment still commits")
            << QStringList{"increment 0", "type 5", "up"} << 5.0f << "5";
        QTest::newRow("negative increment counts as none")
            << QStringList{"increment -2", "down"} << 10.0f << "10";
        QTest::newRow("from below Min, whole steps of 3")
            << QStringList{"increment 3", "type 0", "enter", "up"} << 3.0f << "3";
        QTest::newRow("from above Max, whole steps of 4")
            << QStringList{"increment 4", "type 25", "enter", "down", "down"} << 5.0f << "5";
    }
    void steps() {
        QFETCH(QStringList, script);
        QFETCH(float, value);
        QFETCH(QString, text);
        TSpinBoxEngine box = speedBox();
        run(box, script);
        QCOMPARE(box.Value(), value);
        QCOMPARE(box.Text(), text);
    }

    void stepReportsEachChangeOnce() {
        TSpinBoxEngine box = speedBox();
        QList<float> seen;
        box.OnCommit = [&] { seen << box.Value(); };
        run(box, {"down"});
        QCOMPARE(seen, QList<float>({9}));
        run(box, {"type 5", "up"});  // the typed 5 is committed, then stepped
        QCOMPARE(seen, QList<float>({9, 5, 6}));
        run(box, {"type 10", "enter", "up"});  // nothing moves at Max
        QCOMPARE(seen, QList<float>({9, 5, 6, 10}));
    }

    void escapeBringsBackTheCommittedText() {
        TSpinBoxEngine box = speedBox();
        int changes = 0, edits = 0;
        box.OnCommit = [&] { ++changes; };
        box.OnTextChange = [&] { ++edits; };
        run(box, {"type 7", "escape"});
        QCOMPARE(box.Text(), QStringLiteral("10"));
        QCOMPARE(box.Edit().Anchor(), 2);
        QCOMPARE(box.Edit().Cursor(), 0);
        QCOMPARE(edits, 2);
        box.Commit();
        QCOMPARE(changes, 0);
        QCOMPARE(box.Value(), 10.0f);
    }

    void typing_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("caret");
        const int i = int(TNumValueType::Integer), f = int(TNumValueType::Float);
        QTest::newRow("digit at the caret") << "C" << i << "10" << 1 << 1 << "5"
                                            << "150" << 2;
        QTest::newRow("in place of the selection") << "C" << i << "10" << 0 << 2 << "7"
                                                   << "7" << 1;
        QTest::newRow("letters and blanks") << "C" << i << "10" << 2 << 2 << "a Z\t"
                                            << "10" << 2;
        QTest::newRow("no decimals in Integer mode") << "C" << i << "10" << 2 << 2 << ".,"
                                                     << "10" << 2;
        QTest::newRow("sign after a sign") << "C" << i << "-5" << 1 << 1 << "+"
                                           << "-5" << 1;
        QTest::newRow("sign before a sign") << "C" << i << "-5" << 0 << 0 << "+"
                                            << "+5" << 1;
        QTest::newRow("same sign before a sign") << "C" << i << "+5" << 0 << 0 << "+"
                                                 << "+5" << 1;
        QTest::newRow("sign amid digits") << "C" << i << "15" << 1 << 1 << "-"
                                          << "1-5" << 2;
        QTest::newRow("sign over a selection") << "C" << i << "-5" << 0 << 1 << "+"
                                               << "+5" << 1;
        QTest::newRow("signs typed in a row") << "C" << i << "" << 0 << 0 << "-+-"
                                              << "-" << 1;
        QTest::newRow("point in Float mode") << "C" << f << "25" << 1 << 1 << "."
                                             << "2.5" << 2;
        QTest::newRow("comma in Float mode") << "C" << f << "25" << 1 << 1 << ","
                                             << "2,5" << 2;
        QTest::newRow("mark after a mark") << "C" << f << "2.5" << 2 << 2 << ","
                                           << "2.5" << 2;
        QTest::newRow("mark before a mark") << "C" << f << "2.5" << 1 << 1 << ","
                                            << "2,5" << 2;
        QTest::newRow("locale's decimal mark")
            << "ar_EG" << f << "25" << 1 << 1 << u"\u066B"_qs << u"2\u066B5"_qs << 2;
        QTest::newRow("locale's mark before a point")
            << "ar_EG" << f << "2.5" << 1 << 1 << u"\u066B"_qs << u"2\u066B5"_qs << 2;
        QTest::newRow("no mark rule in Integer mode") << "C" << i << "2.5" << 1 << 1 << "."
                                                      << "2.5" << 1;
    }
    void typing() {
        QFETCH(QString, locale);
        QFETCH(int, type);
        QFETCH(QString, text);
        QFETCH(int, anchor);
        QFETCH(int, cursor);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        QFETCH(int, caret);
        TSpinBoxEngine box(formatOf(locale));
        box.SetValueType(TNumValueType(type));
        box.SetText(text);
        box.Select(anchor, cursor);
        for (QChar c : typed) box.Type(c);
        QCOMPARE(box.Text(), result);
        QCOMPARE(box.Edit().Cursor(), caret);
        QCOMPARE(box.Value(), 0.0f);  // typing never commits
    }

    void pasteTakesTheFirstLineCleaned_data() {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("result");
        QTest::newRow("CR LF") << "12\r\n34"
                               << "A12B";
        QTest::newRow("LF") << "12\n34"
                            << "A12B";
        QTest::newRow("lone CR") << "12\r34"
                                 << "A12B";
        QTest::newRow("letters stay") << "x-1"
                                      << "Ax-1B";
        QTest::newRow("blanks and controls go") << u" 1\t2\u00A03\x01"_qs << "A123B";
        QTest::newRow("empty line") << "\r\n5"
                                    << "AB";
    }
    void pasteTakesTheFirstLineCleaned() {
        QFETCH(QString, clipboard);
        QFETCH(QString, result);
        TSpinBoxEngine box;
        box.SetText("A--B");
        box.Select(1, 3);
        box.Paste(clipboard);
        QCOMPARE(box.Text(), result);
        QCOMPARE(box.Edit().Cursor(), int(result.size()) - 1);
    }

    void cleaning_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("clean");
        QTest::newRow("controls and blanks") << "C"
                                             << "\t1\n2\r 3\x01"
                                             << "123";
        QTest::newRow("no-break space") << "en_US" << u"1\u00A0000"_qs << "1000";
        QTest::newRow("French thousands") << "fr_FR" << u"1\u202F000"_qs << "1000";
        QTest::newRow("Swiss thousands") << "de_CH" << u"1\u2019000"_qs << "1000";
        QTest::newRow("English comma stays") << "en_US"
                                             << "1,000"
                                             << "1,000";
        QTest::newRow("German point stays") << "de_DE"
                                            << "1.000"
                                            << "1.000";
        QTest::newRow("letters stay") << "C"
                                      << "a-b"
                                      << "a-b";
    }
    void cleaning() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QString, clean);
        QCOMPARE(formatOf(locale).Clean(text), clean);
        TSpinBoxEngine box(formatOf(locale));
        box.SetText(text);
        QCOMPARE(box.Text(), clean);
    }

    void displayText_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("digits");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        const int i = int(TNumValueType::Integer), f = int(TNumValueType::Float);
        QTest::newRow("whole number") << "C" << i << 2 << 10.0 << "10";
        QTest::newRow("even half down") << "C" << i << 2 << 2.5 << "2";
        QTest::newRow("odd half up") << "C" << i << 2 << 3.5 << "4";
        QTest::newRow("negative half") << "C" << i << 2 << -2.5 << "-2";
        QTest::newRow("no negative zero") << "C" << i << 2 << -0.4 << "0";
        QTest::newRow("no grouping") << "en_US" << i << 2 << 1234567.0 << "1234567";
        QTest::newRow("two decimals") << "C" << f << 2 << 2.0 << "2.00";
        QTest::newRow("exact half to even") << "C" << f << 2 << 0.125 << "0.12";
        QTest::newRow("exact half, odd") << "C" << f << 2 << 0.375 << "0.38";
        QTest::newRow("locale's separator") << "de_DE" << f << 1 << 2.25 << "2,2";
        QTest::newRow("tiny negative") << "C" << f << 2 << -0.001 << "0.00";
        QTest::newRow("no decimals") << "C" << f << 0 << 2.5 << "2";
    }
    void displayText() {
        QFETCH(QString, locale);
        QFETCH(int, type);
        QFETCH(int, digits);
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(formatOf(locale).Display(value, TNumValueType(type), digits), text);
    }

    // A visible move shows the new value and commits that text, so the
    // committed value becomes what the box shows.
    void setValueSettlesOnTheShownNumber_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<float>("set");
        QTest::addColumn<double>("committed");
        QTest::addColumn<QString>("text");
        const int i = int(TNumValueType::Integer), f = int(TNumValueType::Float);
        QTest::newRow("even half") << i << 2.5f << 2.0 << "2";
        QTest::newRow("odd half") << i << 3.5f << 4.0 << "4";
        QTest::newRow("negative half") << i << -0.5f << 0.0 << "0";
        QTest::newRow("two decimals") << f << 1.006f << double(1.01f) << "1.01";
    }
    void setValueSettlesOnTheShownNumber() {
        QFETCH(int, type);
        QFETCH(float, set);
        QFETCH(double, committed);
        QFETCH(QString, text);
        TSpinBoxEngine box;
        box.SetMin(-10);
        box.SetValueType(TNumValueType(type));
        box.SetValue(set);
        QCOMPARE(box.CommittedValue(), committed);
        QCOMPARE(box.Value(), float(committed));
        QCOMPARE(box.Text(), text);
    }

    void smallMovesKeepTheTextAndRoundOnReading() {
        TSpinBoxEngine box;
        box.SetValue(4);
        int changes = 0;
        box.OnCommit = [&] { ++changes; };
        box.SetValue(4.004f);
        QCOMPARE(box.CommittedValue(), double(4.004f));
        QCOMPARE(box.Value(), 4.0f);
        QCOMPARE(box.Text(), QStringLiteral("4"));
        QCOMPARE(changes, 0);
        box.SetValueType(TNumValueType::Float);
        QCOMPARE(box.Value(), 4.004f);
        QCOMPARE(box.Text(), QStringLiteral("4.00"));
        box.SetDecimalDigits(3);
        QCOMPARE(box.Text(), QStringLiteral("4.004"));
        box.SetDecimalDigits(-1);  // ignored
        QCOMPARE(box.DecimalDigits(), 3);
    }

    void loadingRecordsAndSettlesQuietly_data() {
        QTest::addColumn<QStringList>("order");
        QTest::newRow("Max, Min, Value") << QStringList{"Max", "Min", "Value"};
        QTest::newRow("Value first") << QStringList{"Value", "Min", "Max"};
    }
    void loadingRecordsAndSettlesQuietly() {
        QFETCH(QStringList, order);
        TSpinBoxEngine box;
        int changes = 0, edits = 0;
        box.OnCommit = [&] { ++changes; };
        box.OnTextChange = [&] { ++edits; };
        QCOMPARE(box.Text(), QStringLiteral("0"));
        box.BeginLoading();
        for (const QString& setting : order) {
            if (setting == "Min") box.SetMin(1);
            if (setting == "Max") box.SetMax(10);
            if (setting == "Value") box.SetValue(10);
        }
        box.SetText("7");
        QCOMPARE(box.Value(), 0.0f);
        box.EndLoading();
        QCOMPARE(box.Value(), 10.0f);
        QCOMPARE(box.Min(), 1.0f);
        QCOMPARE(box.Max(), 10.0f);
        QCOMPARE(box.LastRequested(), 10.0);
        QCOMPARE(box.Text(), QStringLiteral("10"));
        QVERIFY(!box.TextEdited());
        QCOMPARE(changes, 0);
        QCOMPARE(edits, 0);
    }

    void rangeRules_data() {
        QTest::addColumn<bool>("loading");
        QTest::addColumn<float>("min");
        QTest::addColumn<float>("max");
        QTest::addColumn<float>("expectedMin");
        QTest::addColumn<float>("expectedMax");
        QTest::addColumn<float>("value");
        // From Min 0, Max 100, Value 50; NaN leaves a bound unset.
        QTest::newRow("Min alone above Max comes down to it")
            << false << 200.0f << kNaN << 100.0f << 100.0f << 100.0f;
        QTest::newRow("Max below Min goes up to it")
            << false << kNaN << -5.0f << 0.0f << 0.0f << 0.0f;
        QTest::newRow("both while loading: Max goes up to Min")
            << true << 20.0f << 10.0f << 20.0f << 20.0f << 20.0f;
        QTest::newRow("Min alone while loading comes down to Max")
            << true << 200.0f << kNaN << 100.0f << 100.0f << 100.0f;
        QTest::newRow("Max stored as it was counts as unchanged")
            << true << 200.0f << 100.0f << 100.0f << 100.0f << 100.0f;
        QTest::newRow("Value clamped by a new Min")
            << false << 60.0f << kNaN << 60.0f << 100.0f << 60.0f;
        QTest::newRow("infinite bounds are ignored")
            << false << -kInf << kInf << 0.0f << 100.0f << 50.0f;
    }
    void rangeRules() {
        QFETCH(bool, loading);
        QFETCH(float, min);
        QFETCH(float, max);
        QFETCH(float, expectedMin);
        QFETCH(float, expectedMax);
        QFETCH(float, value);
        TSpinBoxEngine box;
        box.SetValue(50);
        if (loading) box.BeginLoading();
        if (!std::isnan(min)) box.SetMin(min);
        if (!std::isnan(max)) box.SetMax(max);
        box.EndLoading();
        QCOMPARE(box.Min(), expectedMin);
        QCOMPARE(box.Max(), expectedMax);
        QCOMPARE(box.Value(), value);
        QCOMPARE(box.Text(), QString::number(value));
    }

    void sameNumberTolerance_data() {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("absolute floor") << 0.0 << 1e-12 << true;
        QTest::newRow("beyond the floor") << 0.0 << 2e-12 << false;
        QTest::newRow("relative to the smaller") << 1e6 << 1e6 + 1e-7 << true;
        QTest::newRow("beyond relative") << 1e6 << 1e6 + 1e-5 << false;
    }
    void sameNumberTolerance() {
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(bool, same);
        QCOMPARE(TValueRange::SameNumber(a, b), same);
        TValueRange range;
        range.RequestMax(1e7);
        range.RequestValue(a);
        QCOMPARE(range.RequestValue(b).changed, !same);
        QCOMPARE(range.LastRequested(), b);  // requested, even when nothing moved
    }

    void settingsThatAreIgnored() {
        TSpinBoxEngine box;
        box.SetIncrement(1.00005f);
        QCOMPARE(box.Increment(), 1.0f);
        box.SetIncrement(-3);
        QCOMPARE(box.Increment(), 0.0f);
        box.SetIncrement(kNaN);
        box.SetIncrement(kInf);
        QCOMPARE(box.Increment(), 0.0f);
        box.SetValue(kNaN);
        box.SetValue(kInf);
        QCOMPARE(box.Value(), 0.0f);
        QCOMPARE(box.Text(), QStringLiteral("0"));
    }

    void readOnlyRefusesEditsButNotSteps() {
        TSpinBoxEngine box = speedBox();
        box.SetReadOnly(true);
        run(box, {"type 5", "paste 3", "clear"});
        QCOMPARE(box.Text(), QStringLiteral("10"));
        QVERIFY(!box.TextEdited());
        box.Step(false);
        QCOMPARE(box.Value(), 9.0f);
    }

    // Whatever the input, Value stays a number within the range.
    void randomInputKeepsValueInRange() {
        std::mt19937 random(20240611);
        const QString keys = "0123456789+-.,x ";
        const float bounds[] = {0, 1, -1, 10, 1e-7f, 3.4e38f, -3.4e38f, 1e20f, kNaN, kInf};
        for (int round = 0; round < 50; ++round) {
            TSpinBoxEngine box(formatOf(round % 2 ? "de_DE" : "en_US"));
            for (int i = 0; i < 400; ++i) {
                const auto pick = [&](int n) { return int(random() % unsigned(n)); };
                switch (pick(12)) {
                    case 0:
                        box.SetMin(bounds[pick(10)]);
                        break;
                    case 1:
                        box.SetMax(bounds[pick(10)]);
                        break;
                    case 2:
                        box.SetValue(bounds[pick(10)]);
                        break;
                    case 3:
                        box.SetIncrement(bounds[pick(10)]);
                        break;
                    case 4:
                        box.SetValueType(TNumValueType(pick(2)));
                        break;
                    case 5:
                        box.SetDecimalDigits(pick(20) - 2);
                        break;
                    case 6:
                        box.Paste(QString::number(bounds[pick(10)], 'g', pick(40)));
                        break;
                    case 7:
                        box.Commit();
                        break;
                    case 8:
                        box.Step(pick(2));
                        break;
                    case 9:
                        box.Revert();
                        break;
                    default:
                        box.Select(pick(8), pick(8));
                        box.Type(keys.at(pick(int(keys.size()))));
                }
                const double value = box.CommittedValue();
                QVERIFY(!std::isnan(value) && !std::isnan(box.Value()));
                QVERIFY2(
                    box.Min() <= value && value <= box.Max(),
                    qPrintable(QString("%1 <= %2 <= %3").arg(box.Min()).arg(value).arg(box.Max())));
            }
        }
    }
};

QTEST_MAIN(SpinBoxEngineTest)
#include "tst_spinboxengine.moc"
