#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGraphicsView>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QWheelEvent>
#include <cmath>

#include "TestWindow.h"
#include "controls/spinbox/TSpinBoxEditor.h"
#include "framework/loader/TClassRegistry.h"
#include "framework/loader/TDescriptionLoader.h"
#include "framework/window/TFormView.h"
#include "framework/stock/TOpenDialog.h"

namespace {

// SpinBox2 spans (462, 0) to (562, 57) at the stored window size.
const QPoint kMinus(472, 28);
const QPoint kPlus(551, 28);
const QPoint kText(512, 28);
const QPoint kSwitch(600, 28);
const QPoint kButton1(50, 28);
const QPoint kDial(430, 28);

QLineEdit* lineEdit(const TForm1& f) {
    return f.SpinBox2->Editor().LineEdit();
}

// A click into the text, and all of it selected as a user would to replace it.
void selectText(TestWindow& w) {
    w.click(kText);
    w.key(Qt::Key_A, Qt::ControlModifier);
}

void type(const TestWindow& w, const QString& text) {
    QTest::keyClicks(w.form().View(), text);
}

// A wheel turn as the view receives it from the system.
void wheel(const TestWindow& w, QPoint at, QPoint angleDelta) {
    QWidget* viewport = w.viewport();
    QWheelEvent event(QPointF(at), QPointF(viewport->mapToGlobal(at)), QPoint(), angleDelta,
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewport, &event);
}

QStringList actionTexts(const QMenu& menu) {
    QStringList texts;
    for (QAction* action : menu.actions())
        if (!action->isSeparator()) texts << action->text();
    return texts;
}

// A window with nothing but a spin box, for descriptions written here.
class TSpinForm : public TForm {
public:
    explicit TSpinForm(TComponent* owner) : TForm(owner) {
        PublishField("SpinBox1", SpinBox1);
        PublishHandler("SpinBox1Change", &TSpinForm::SpinBox1Change);
    }
    void SpinBox1Change(TObject*) { ++events; }

    TSpinBox* SpinBox1 = nullptr;
    int events = 0;
};

QAction* action(const QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions())
        if (action->text() == text) return action;
    return nullptr;
}

}  // namespace

// The speed box through real input: its committed Value apart from the typed
// text, the step buttons, keys, wheel, focus and clipboard.
class SpinBoxTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        RegisterUnit1Classes();
        TClassRegistry::Instance().Register<TSpinForm>("TSpinForm", "TForm");
    }

    void init() {
        TOpenDialog::Chooser() = [](QWidget*, const QString&) { return std::nullopt; };
    }

    void startsAtTenShowingTen() {
        TestWindow w;
        TForm1& f = w.form();
        QCOMPARE(f.SpinBox2->Value(), 10.0f);
        QCOMPARE(f.SpinBox2->Text(), QStringLiteral("10"));
        QCOMPARE(lineEdit(f)->text(), QStringLiteral("10"));
        QCOMPARE(f.SpinBox2->Min(), 1.0f);
        QCOMPARE(f.SpinBox2->Max(), 10.0f);
    }

    void everySettingLoadsQuietly() {
        initApplicationForTests();
        TSpinForm form(nullptr);
        TDescriptionLoader().Load(form, R"({"name": "Form1", "class": "TSpinForm", "children": [
            {"name": "SpinBox1", "class": "TSpinBox",
             "properties": {"Text": "junk", "Value": 2.25, "Min": -5, "Max": 5,
                            "ValueType": "Float", "DecimalDigits": 1, "Increment": 0.5,
                            "RepeatClick": true, "ReadOnly": true, "KillFocusByReturn": true,
                            "KeyboardType": "DecimalPad"},
             "events": {"OnChange": "SpinBox1Change", "OnChangeTracking": "SpinBox1Change"}}]})",
                                  "test.json");
        TSpinBox& box = *form.SpinBox1;
        QCOMPARE(box.Value(), 2.25f);
        QCOMPARE(box.Min(), -5.0f);
        QCOMPARE(box.Max(), 5.0f);
        QCOMPARE(box.ValueType(), TNumValueType::Float);
        QCOMPARE(box.Text(), QStringLiteral("2.2"));
        QCOMPARE(box.Editor().LineEdit()->text(), QStringLiteral("2.2"));
        QCOMPARE(box.Increment(), 0.5f);
        QVERIFY(box.RepeatClick() && box.ReadOnly() && box.KillFocusByReturn());
        QCOMPARE(box.KeyboardType(), TVirtualKeyboardType::DecimalPad);
        QCOMPARE(box.Editor().LineEdit()->inputMethodHints(), Qt::ImhFormattedNumbersOnly);
        QCOMPARE(form.events, 0);
        box.SetValue(-1);
        QCOMPARE(box.Text(), QStringLiteral("-1.0"));
        QCOMPARE(form.events, 2);  // the text, then the commit
    }

    void stepButtons_data() {
        QTest::addColumn<QList<QPoint>>("clicks");
        QTest::addColumn<float>("value");
        QTest::newRow("minus at 10") << QList<QPoint>{kMinus} << 9.0f;
        QTest::newRow("plus at 10") << QList<QPoint>{kPlus} << 10.0f;
        QTest::newRow("down and up") << QList<QPoint>{kMinus, kMinus, kMinus, kPlus} << 8.0f;
        QTest::newRow("minus stops at 1") << QList<QPoint>(12, kMinus) << 1.0f;
    }
    void stepButtons() {
        QFETCH(QList<QPoint>, clicks);
        QFETCH(float, value);
        TestWindow w;
        TForm1& f = w.form();
        for (QPoint at : clicks) w.click(at);
        QCOMPARE(f.SpinBox2->Value(), value);
        QCOMPARE(f.SpinBox2->Text(), QString::number(value));
        // A press on a step button focuses the box.
        QCOMPARE(f.Focused(), static_cast<TControl*>(f.SpinBox2));
    }

    void pointerShapes_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("shape");
        QTest::newRow("minus button") << kMinus << int(Qt::ArrowCursor);
        QTest::newRow("plus button") << kPlus << int(Qt::ArrowCursor);
        QTest::newRow("text") << kText << int(Qt::IBeamCursor);
    }
    void pointerShapes() {
        QFETCH(QPoint, at);
        QFETCH(int, shape);
        TestWindow w;
        w.move(QPoint(300, 200));
        w.move(at);
        QCOMPARE(int(w.viewport()->cursor().shape()), shape);
    }

    void stepButtonClicksOnlyOnALeftReleaseOverIt() {
        TestWindow w;
        TForm1& f = w.form();
        w.click(kMinus, Qt::RightButton);
        w.click(kMinus, Qt::MiddleButton);
        QCOMPARE(f.SpinBox2->Value(), 10.0f);
        w.press(kMinus);
        w.move(QPoint(472, 100));
        w.release(QPoint(472, 100));
        QCOMPARE(f.SpinBox2->Value(), 10.0f);
        w.press(kMinus);
        w.move(QPoint(472, 100));
        w.move(kMinus);
        w.release(kMinus);
        QCOMPARE(f.SpinBox2->Value(), 9.0f);
    }

    void doubleClickStepsOnTheSecondPress() {
        TestWindow w;
        TForm1& f = w.form();
        int changes = 0;
        f.SpinBox2->OnChange = [&](TObject*) { ++changes; };
        w.doubleClick(kMinus);
        QCOMPARE(f.SpinBox2->Value(), 8.0f);
        QCOMPARE(changes, 2);
    }

    void typedTextWaitsForACommit() {
        TestWindow w;
        TForm1& f = w.form();
        selectText(w);
        type(w, "5");
        QCOMPARE(f.SpinBox2->Text(), QStringLiteral("5"));
        QCOMPARE(f.SpinBox2->Value(), 10.0f);
        f.Timer1Timer(f.Timer1);
        QCOMPARE(f.Ellipse1->Position.Point(), QPointF(136, 230));
    }

    void commits_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<float>("value");
        QTest::newRow("Enter") << "Enter" << 5.0f;
        QTest::newRow("keypad Enter") << "keypad Enter" << 5.0f;
        QTest::newRow("click on the switch") << "switch" << 5.0f;
        QTest::newRow("click on a button") << "button" << 5.0f;
        QTest::newRow("Tab away") << "Tab" << 5.0f;
        QTest::newRow("plus commits, then steps") << "plus" << 6.0f;
        QTest::newRow("minus commits, then steps") << "minus" << 4.0f;
        QTest::newRow("Up key") << "Up" << 6.0f;
        QTest::newRow("wheel towards the user") << "wheel" << 4.0f;
    }
    void commits() {
        QFETCH(QString, how);
        QFETCH(float, value);
        TestWindow w;
        TForm1& f = w.form();
        int changes = 0;
        f.SpinBox2->OnChange = [&](TObject*) { ++changes; };
        selectText(w);
        type(w, "5");
        if (how == "Enter")
            w.key(Qt::Key_Return);
        else if (how == "keypad Enter")
            w.key(Qt::Key_Enter, Qt::KeypadModifier);
        else if (how == "switch")
            w.click(kSwitch);
        else if (how == "button")
            w.click(kButton1);
        else if (how == "Tab")
            w.key(Qt::Key_Tab);
        else if (how == "plus")
            w.click(kPlus);
        else if (how == "minus")
            w.click(kMinus);
        else if (how == "Up")
            w.key(Qt::Key_Up);
        else if (how == "wheel")
            wheel(w, kText, QPoint(0, -120));
        QCOMPARE(f.SpinBox2->Value(), value);
        QCOMPARE(f.SpinBox2->Text(), QString::number(value));
        QVERIFY(changes >= 1);
        if (how == "switch") QVERIFY(f.Timer1->Enabled());
        // The ship takes the committed speed at its next step.
        f.Timer1Timer(f.Timer1);
        QCOMPARE(f.Ellipse1->Position.Point(), QPointF(136, 240 - value));
    }

    void enterKeepsTheFocusAndShowsTheClampedValue_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("too large") << "25"
                                   << "10";
        QTest::newRow("too small") << "0"
                                   << "1";
        QTest::newRow("negative") << "-3"
                                  << "1";
        QTest::newRow("leading zeros") << "007"
                                       << "7";
        QTest::newRow("a sign alone") << "-"
                                      << "10";
    }
    void enterKeepsTheFocusAndShowsTheClampedValue() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        TestWindow w;
        TForm1& f = w.form();
        selectText(w);
        type(w, typed);
        w.key(Qt::Key_Return);
        QCOMPARE(f.SpinBox2->Text(), shown);
        QCOMPARE(lineEdit(f)->text(), shown);
        QCOMPARE(f.SpinBox2->Value(), shown.toFloat());
        QCOMPARE(f.Focused(), static_cast<TControl*>(f.SpinBox2));
    }

    void enterCanGiveUpTheFocus() {
        TestWindow w;
        TForm1& f = w.form();
        f.SpinBox2->SetKillFocusByReturn(true);
        selectText(w);
        type(w, "4");
        w.key(Qt::Key_Return);
        QCOMPARE(f.SpinBox2->Value(), 4.0f);
        QCOMPARE(f.Focused(), nullptr);
    }

    void repeatingButtonStepsOnThePress() {
        TestWindow w;
        TForm1& f = w.form();
        f.SpinBox2->SetRepeatClick(true);
        w.press(kMinus);
        QCOMPARE(f.SpinBox2->Value(), 9.0f);
        w.release(kMinus);
        QCOMPARE(f.SpinBox2->Value(), 9.0f);
    }

    void escapeBringsBackTheCommittedTextSelected() {
        TestWindow w;
        TForm1& f = w.form();
        int changes = 0;
        f.SpinBox2->OnChange = [&](TObject*) { ++changes; };
        w.click(kText);
        type(w, "7");
        w.key(Qt::Key_Escape);
        QCOMPARE(f.SpinBox2->Text(), QStringLiteral("10"));
        QCOMPARE(lineEdit(f)->selectedText(), QStringLiteral("10"));
        QCOMPARE(lineEdit(f)->cursorPosition(), 0);
        // Nothing is left to commit when the focus goes.
        w.click(kSwitch);
        QCOMPARE(f.SpinBox2->Value(), 10.0f);
        QCOMPARE(changes, 0);
    }

    void keysStepButPagesDoNothing() {
        TestWindow w;
        TForm1& f = w.form();
        w.click(kText);
        w.key(Qt::Key_Up);
        QCOMPARE(f.SpinBox2->Value(), 10.0f);
        w.key(Qt::Key_Down);
        w.key(Qt::Key_Down);
        QCOMPARE(f.SpinBox2->Value(), 8.0f);
        QCOMPARE(f.SpinBox2->Text(), QStringLiteral("8"));
        w.key(Qt::Key_PageUp);
        w.key(Qt::Key_PageDown);
        QCOMPARE(f.SpinBox2->Value(), 8.0f);
        QCOMPARE(f.SpinBox2->Text(), QStringLiteral("8"));
    }

    void lettersAndBlanksCannotBeTyped() {
        TestWindow w;
        TForm1& f = w.form();
        w.click(kText);
        w.key(Qt::Key_End);
        type(w, "a.,x Z");
        QCOMPARE(f.SpinBox2->Text(), QStringLiteral("10"));
        type(w, "-");
        w.key(Qt::Key_Home);
        type(w, "+");  // a sign next to a sign takes its place
        QCOMPARE(f.SpinBox2->Text(), QStringLiteral("+10-"));
    }

    void ordinaryEditingKeys() {
        TestWindow w;
        TForm1& f = w.form();
        w.click(kText);
        w.key(Qt::Key_End);
        w.key(Qt::Key_Backspace);
        QCOMPARE(f.SpinBox2->Text(), QStringLiteral("1"));
        type(w, "23");
        w.key(Qt::Key_Home);
        w.key(Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(lineEdit(f)->selectedText(), QStringLiteral("1"));
        w.key(Qt::Key_Delete);
        QCOMPARE(f.SpinBox2->Text(), QStringLiteral("23"));
        w.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.SpinBox2->Text(), QStringLiteral("123"));
        QCOMPARE(f.SpinBox2->Value(), 10.0f);
        w.key(Qt::Key_Return);
        QCOMPARE(f.SpinBox2->Value(), 10.0f);  // 123 clamped
    }

    void wheelStepsTheUnfocusedBox_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<float>("value");
        QTest::newRow("towards the user over the text") << kText << QPoint(0, -120) << 9.0f;
        QTest::newRow("a large turn is one step") << kText << QPoint(0, -960) << 9.0f;
        QTest::newRow("a small turn is one step") << kText << QPoint(0, -8) << 9.0f;
        QTest::newRow("over the minus button") << kMinus << QPoint(0, -120) << 9.0f;
        QTest::newRow("over the frame") << QPoint(463, 1) << QPoint(0, -120) << 9.0f;
        QTest::newRow("away from the user at 10") << kPlus << QPoint(0, 120) << 10.0f;
    }
    void wheelStepsTheUnfocusedBox() {
        QFETCH(QPoint, at);
        QFETCH(QPoint, delta);
        QFETCH(float, value);
        TestWindow w;
        TForm1& f = w.form();
        wheel(w, at, delta);
        QCOMPARE(f.SpinBox2->Value(), value);
        QCOMPARE(f.Focused(), nullptr);
    }

    void wheelTurnsTheBoxBothWays() {
        TestWindow w;
        TForm1& f = w.form();
        for (int i = 0; i < 4; ++i) wheel(w, kText, QPoint(0, -120));
        wheel(w, kText, QPoint(0, 120));
        QCOMPARE(f.SpinBox2->Value(), 7.0f);
    }

    void focusSelectsAllButAClickPutsTheCaret() {
        TestWindow w;
        TForm1& f = w.form();
        w.click(kText);
        QCOMPARE(f.Focused(), static_cast<TControl*>(f.SpinBox2));
        QVERIFY(!lineEdit(f)->hasSelectedText());
        w.click(kSwitch);
        QCOMPARE(f.Focused(), static_cast<TControl*>(f.Switch1));
        w.key(Qt::Key_Tab);  // the switch, then the box in tab order
        w.key(Qt::Key_Tab);
        QCOMPARE(f.Focused(), static_cast<TControl*>(f.SpinBox2));
        QCOMPARE(lineEdit(f)->selectedText(), QStringLiteral("10"));
        w.click(kSwitch);
        w.click(kMinus);
        QCOMPARE(lineEdit(f)->selectedText(), QStringLiteral("9"));
        // The dial takes no focus: the box keeps it and its text.
        type(w, "4");
        w.click(kDial);
        QCOMPARE(f.Focused(), static_cast<TControl*>(f.SpinBox2));
        QCOMPARE(f.SpinBox2->Value(), 9.0f);
    }

    void deactivatingTheWindowNeitherCommitsNorSelects() {
        TestWindow w;
        TForm1& f = w.form();
        int changes = 0;
        f.SpinBox2->OnChange = [&](TObject*) { ++changes; };
        w.click(kText);
        w.key(Qt::Key_End);
        w.key(Qt::Key_Backspace);
        type(w, "5");
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(f.SpinBox2->Value(), 10.0f);
        f.View()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.View()));
        QCOMPARE(f.Focused(), static_cast<TControl*>(f.SpinBox2));
        QCOMPARE(f.SpinBox2->Text(), QStringLiteral("15"));
        QVERIFY(!lineEdit(f)->hasSelectedText());
        QCOMPARE(changes, 0);
        w.key(Qt::Key_Return);
        QCOMPARE(f.SpinBox2->Value(), 10.0f);
        QCOMPARE(changes, 1);
    }

    void contextMenuOpensOnTheText() {
        TestWindow w;
        TForm1& f = w.form();
        w.click(kText, Qt::RightButton);
        // What the window system sends after the right press.
        QContextMenuEvent request(QContextMenuEvent::Mouse, kText,
                                  w.viewport()->mapToGlobal(kText));
        QCoreApplication::sendEvent(w.viewport(), &request);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(actionTexts(*menu), QStringList({"Cut", "Copy", "Paste", "Delete", "Select All"}));
        // The press focused the box and selected its text, which the menu
        // leaves as it was when it closes.
        QVERIFY(action(*menu, "Copy")->isEnabled());
        menu->close();
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QCOMPARE(f.Focused(), static_cast<TControl*>(f.SpinBox2));
        QCOMPARE(lineEdit(f)->selectedText(), QStringLiteral("10"));
    }

    void contextMenuItems() {
        TestWindow w;
        TForm1& f = w.form();
        TSpinBoxEditor& editor = f.SpinBox2->Editor();
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("7"));
        selectText(w);
        const auto trigger = [&](const QString& text) {
            std::unique_ptr<QMenu> menu(editor.CreateContextMenu());
            QAction* item = action(*menu, text);
            QVERIFY(item);
            QVERIFY2(item->isEnabled(), qPrintable(text));
            item->trigger();
        };
        trigger("Copy");
        QCOMPARE(clipboard->text(), QStringLiteral("10"));
        trigger("Delete");
        QCOMPARE(f.SpinBox2->Text(), QString());
        trigger("Paste");
        QCOMPARE(f.SpinBox2->Text(), QStringLiteral("10"));
        trigger("Select All");
        QCOMPARE(lineEdit(f)->selectedText(), QStringLiteral("10"));
        trigger("Cut");
        QCOMPARE(f.SpinBox2->Text(), QString());
        QCOMPARE(clipboard->text(), QStringLiteral("10"));
        QCOMPARE(f.SpinBox2->Value(), 10.0f);

        // Without a selection there is nothing to cut, copy or delete.
        type(w, "3");
        std::unique_ptr<QMenu> menu(editor.CreateContextMenu());
        QVERIFY(!action(*menu, "Cut")->isEnabled());
        QVERIFY(!action(*menu, "Copy")->isEnabled());
        QVERIFY(!action(*menu, "Delete")->isEnabled());
        QVERIFY(action(*menu, "Paste")->isEnabled());
        QVERIFY(action(*menu, "Select All")->isEnabled());
        w.key(Qt::Key_Return);
        QCOMPARE(f.SpinBox2->Value(), 3.0f);
    }

    void pasteTakesTheFirstLineUnfiltered_data() {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("value");
        QTest::newRow("CR LF") << "7\r\n8"
                               << "7" << 7.0f;
        QTest::newRow("LF") << "3\n4"
                            << "3" << 3.0f;
        QTest::newRow("blanks and tabs go") << " 6\t"
                                            << "6" << 6.0f;
        QTest::newRow("letters are not filtered") << "x2"
                                                  << "x2" << 10.0f;
    }
    void pasteTakesTheFirstLineUnfiltered() {
        QFETCH(QString, clipboard);
        QFETCH(QString, text);
        QFETCH(float, value);
        TestWindow w;
        TForm1& f = w.form();
        QGuiApplication::clipboard()->setText(clipboard);
        selectText(w);
        w.key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.SpinBox2->Text(), text);
        QCOMPARE(lineEdit(f)->text(), text);
        QCOMPARE(f.SpinBox2->Value(), 10.0f);
        w.key(Qt::Key_Return);
        QCOMPARE(f.SpinBox2->Value(), value);
    }

    void readOnlyBoxCannotBeChanged() {
        TestWindow w;
        TForm1& f = w.form();
        f.SpinBox2->SetReadOnly(true);
        w.click(kMinus);
        w.click(kText);
        type(w, "5");
        w.key(Qt::Key_Down);
        w.key(Qt::Key_Backspace);
        wheel(w, kText, QPoint(0, -120));
        QCOMPARE(f.SpinBox2->Text(), QStringLiteral("10"));
        QCOMPARE(f.SpinBox2->Value(), 10.0f);
        // Code still can.
        f.SpinBox2->ValueDec();
        QCOMPARE(f.SpinBox2->Value(), 9.0f);
        QCOMPARE(lineEdit(f)->text(), QStringLiteral("9"));
    }

    void bothReadsOfOneTimerStepAgree() {
        TestWindow w;
        TForm1& f = w.form();
        selectText(w);
        type(w, "3");  // typed, not committed
        u = 45;
        f.Timer1Timer(f.Timer1);
        const QPointF moved = f.Ellipse1->Position.Point() - QPointF(136, 240);
        // Both axes moved by the same committed speed of 10.
        QCOMPARE(float(moved.x()), float(10 * std::sin(M_PI / 4)));
        QCOMPARE(float(-moved.y()), float(10 * std::cos(M_PI / 4)));
    }
};

QTEST_MAIN(SpinBoxTest)
#include "tst_spinbox.moc"
