#include <QAccessible>
#include <QApplication>
#include <QGraphicsView>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <optional>
#include <vector>

#include "SharedWindow.h"
#include "controls/spinbox/TSpinBoxEditor.h"
#include "framework/window/TAccessibleEvents.h"
#include "framework/window/TFormView.h"

namespace {

QAccessibleInterface* of(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

// The object behind a name in the tables: a component, the window itself,
// or the text inside the spin box.
QObject* objectNamed(TForm1& f, const QString& name) {
    if (name == QStringLiteral("Form1")) return f.View();
    if (name == QStringLiteral("SpinBox2 text")) return f.SpinBox2->Editor().LineEdit();
    return dynamic_cast<TControl*>(f.FindComponent(name));
}

QAccessibleInterface* named(TForm1& f, const QString& name) {
    QObject* object = objectNamed(f, name);
    return object ? of(object) : nullptr;
}

// Window coordinates on the screen, where assistive technology wants them.
QRect onScreen(TForm1& f, QRect inWindow) {
    return inWindow.translated(f.View()->viewport()->mapToGlobal(QPoint(0, 0)));
}

QPoint onScreen(TForm1& f, QPoint inWindow) {
    return f.View()->viewport()->mapToGlobal(inWindow);
}

struct Notice {
    QAccessible::Event type;
    QObject* object;
    QVariant value;
    QAccessible::State changed;
};

// Takes the notices that would go to assistive technology, for as long as it
// lives. Offscreen nothing listens, and Qt drops what nobody listens to.
class NoticeLog {
public:
    explicit NoticeLog(bool listening = true) {
        TAccessibleEvents::Listening = [listening] { return listening; };
        TAccessibleEvents::Deliver = [this](QAccessibleEvent* event) {
            Notice notice{event->type(), event->object(), {}, {}};
            if (event->type() == QAccessible::ValueChanged)
                notice.value = static_cast<QAccessibleValueChangeEvent*>(event)->value();
            if (event->type() == QAccessible::StateChanged)
                notice.changed = static_cast<QAccessibleStateChangeEvent*>(event)->changedStates();
            notices.push_back(notice);
        };
    }
    ~NoticeLog() {
        TAccessibleEvents::Listening = previousListening_;
        TAccessibleEvents::Deliver = previousDeliver_;
    }
    NoticeLog(const NoticeLog&) = delete;
    NoticeLog& operator=(const NoticeLog&) = delete;

    QList<int> typesFor(QObject* object) const {
        QList<int> types;
        for (const Notice& n : notices)
            if (n.object == object) types << int(n.type);
        return types;
    }
    std::optional<Notice> last(QObject* object, QAccessible::Event type) const {
        for (auto n = notices.rbegin(); n != notices.rend(); ++n)
            if (n->object == object && n->type == type) return *n;
        return std::nullopt;
    }

    std::vector<Notice> notices;

private:
    std::function<bool()> previousListening_ = TAccessibleEvents::Listening;
    std::function<void(QAccessibleEvent*)> previousDeliver_ = TAccessibleEvents::Deliver;
};

// The user's doings that the notices tests replay.
void perform(TestWindow& w, const QString& gesture) {
    TForm1& f = w.form();
    if (gesture == QStringLiteral("dial turned")) f.ArcDial1->SetValue(-45);
    if (gesture == QStringLiteral("speed stepped down")) w.click(QPoint(472, 28));
    if (gesture == QStringLiteral("switch turned on")) f.Switch1->SetIsChecked(true);
    if (gesture == QStringLiteral("tab")) w.key(Qt::Key_Tab);
    if (gesture == QStringLiteral("chart clicked")) w.click(QPoint(300, 300));
    if (gesture == QStringLiteral("ship turned")) {
        f.ArcDial1->SetValue(-90);
        f.Switch1->SetIsChecked(true);
    }
    if (gesture == QStringLiteral("button renamed")) f.Button1->SetText(QStringLiteral("Open"));
    if (gesture == QStringLiteral("button hidden")) f.Button1->SetVisible(false);
    if (gesture == QStringLiteral("button disabled")) f.Button1->SetEnabled(false);
}

// Back to how the window came up, as far as the notices tests change it.
void reset(TForm1& f) {
    f.SetFocused(nullptr, Qt::OtherFocusReason);
    f.Switch1->SetIsChecked(false);
    f.ArcDial1->SetValue(0);
    f.SpinBox2->SetValue(10);
    f.Ellipse1->Position.SetPoint(136, 240);
    f.Ellipse1->SetRotationAngle(0);
    f.Button1->SetText(QStringLiteral("КартаВиндовс"));
    f.Button1->SetVisible(true);
    f.Button1->SetEnabled(true);
}

// Every child knows its parent and its place, all the way down.
void checkTwoWays(QAccessibleInterface* parent) {
    for (int i = 0; i < parent->childCount(); ++i) {
        QAccessibleInterface* child = parent->child(i);
        QVERIFY2(child,
                 qPrintable(
                     QStringLiteral("child %1 of %2").arg(i).arg(parent->text(QAccessible::Name))));
        QCOMPARE(child->parent(), parent);
        QCOMPARE(parent->indexOfChild(child), i);
        checkTwoWays(child);
    }
}

}  // namespace

// What assistive technology learns of the window: the tree of controls, each
// one's role, name, state, value, place and actions, and the notices of
// change. Asked straight through Qt's interfaces, which works offscreen.
class AccessibilityTest : public QObject {
    Q_OBJECT

    // A test function's rows share one window, and so do the functions in
    // a row that only look.
    SharedWindow shared_;

    TestWindow& window() { return shared_.For(Group()); }
    static QByteArray Group() {
        static const QByteArrayList lookingOnly{"noAssistiveTechnologyOffscreen",
                                                "theProgramListsItsWindowOnly",
                                                "treeInStoredOrder",
                                                "rolesNamesAndValues",
                                                "states",
                                                "screenRects",
                                                "childAtAPoint",
                                                "chartPictureOnScreen"};
        const QByteArray function = QTest::currentTestFunction();
        return lookingOnly.contains(function) ? QByteArrayLiteral("looking") : function;
    }

private slots:
    void init() { shared_.KeepOnlyFor(Group()); }
    void cleanupTestCase() { shared_.Close(); }

    void noAssistiveTechnologyOffscreen() {
        // Nothing listens offscreen, and asking Qt to switch it on changes
        // nothing; the interfaces answer all the same.
        QAccessible::setActive(true);
        QVERIFY(!QAccessible::isActive());
        QAccessible::setActive(false);
        QVERIFY(of(window().form().View()));
    }

    void theProgramListsItsWindowOnly() {
        TForm1& f = window().form();
        QAccessibleInterface* program = of(qApp);
        QCOMPARE(program->role(), QAccessible::Application);
        QCOMPARE(program->text(QAccessible::Name), QStringLiteral("Tidemark"));
        QCOMPARE(program->parent(), nullptr);
        // The spin box's text is a widget without a parent, which Qt takes
        // for a window; it is listed in the box instead.
        QCOMPARE(program->childCount(), 1);
        QCOMPARE(program->child(0), of(f.View()));
        QCOMPARE(of(f.View())->parent(), program);
        QCOMPARE(program->indexOfChild(named(f, QStringLiteral("SpinBox2 text"))), -1);
        QCOMPARE(program->focusChild(), of(f.View()));
    }

    void treeInStoredOrder() {
        TForm1& f = window().form();
        QAccessibleInterface* form = of(f.View());
        const auto names = [](QAccessibleInterface* parent) {
            QList<QObject*> children;
            for (int i = 0; i < parent->childCount(); ++i) children << parent->child(i)->object();
            return children;
        };
        QCOMPARE(names(form), (QList<QObject*>{f.Panel1, f.Image1, f.Ellipse1}));
        QCOMPARE(names(of(f.Panel1)),
                 (QList<QObject*>{f.Button1, f.Button3, f.ArcDial1, f.SpinBox2, f.Switch1}));
        QCOMPARE(names(of(f.SpinBox2)), QList<QObject*>{f.SpinBox2->Editor().LineEdit()});
        QCOMPARE(of(f.Button1)->childCount(), 0);
        checkTwoWays(form);
        QCOMPARE(form->child(3), nullptr);
        QCOMPARE(form->child(-1), nullptr);
        QCOMPARE(form->indexOfChild(of(f.Button1)), -1);
    }

    void rolesNamesAndValues_data() {
        QTest::addColumn<QString>("component");
        QTest::addColumn<QAccessible::Role>("role");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("description");
        QTest::newRow("window") << "Form1" << QAccessible::Window << "Form1"
                                << ""
                                << "";
        QTest::newRow("strip") << "Panel1" << QAccessible::Pane << "Tools"
                               << ""
                               << "";
        QTest::newRow("open button") << "Button1" << QAccessible::Button << "КартаВиндовс"
                                     << ""
                                     << "";
        QTest::newRow("photo button") << "Button3" << QAccessible::Button << "КартаАндроид"
                                      << ""
                                      << "";
        QTest::newRow("dial") << "ArcDial1" << QAccessible::Dial << "Heading"
                              << "0°"
                              << "";
        QTest::newRow("speed box") << "SpinBox2" << QAccessible::SpinBox << "Speed"
                                   << "10"
                                   << "";
        QTest::newRow("speed text") << "SpinBox2 text" << QAccessible::EditableText << "Speed"
                                    << "10"
                                    << "";
        QTest::newRow("switch") << "Switch1" << QAccessible::CheckBox << "Run"
                                << ""
                                << "";
        QTest::newRow("chart") << "Image1" << QAccessible::Graphic << "Chart"
                               << ""
                               << "";
        QTest::newRow("ship") << "Ellipse1" << QAccessible::Graphic << "Ship"
                              << ""
                              << "Ship at 140, 251 heading 0°";
    }
    void rolesNamesAndValues() {
        QFETCH(QString, component);
        QFETCH(QAccessible::Role, role);
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, description);
        QAccessibleInterface* control = named(window().form(), component);
        QVERIFY(control && control->isValid());
        QCOMPARE(control->role(), role);
        QCOMPARE(control->text(QAccessible::Name), name);
        QCOMPARE(control->text(QAccessible::Value), value);
        QCOMPARE(control->text(QAccessible::Description), description);
        QCOMPARE(control->window(), window().form().View()->windowHandle());
    }

    void states_data() {
        QTest::addColumn<QString>("component");
        QTest::addColumn<bool>("focusable");
        QTest::addColumn<bool>("invisible");
        QTest::addColumn<bool>("disabled");
        QTest::addColumn<bool>("checkable");
        QTest::addColumn<bool>("editable");
        QTest::newRow("strip") << "Panel1" << false << false << false << false << false;
        QTest::newRow("open button") << "Button1" << true << false << false << false << false;
        // No photo library on the desktop.
        QTest::newRow("photo button") << "Button3" << true << true << true << false << false;
        QTest::newRow("dial") << "ArcDial1" << false << false << false << false << false;
        QTest::newRow("speed box") << "SpinBox2" << true << false << false << false << false;
        QTest::newRow("speed text") << "SpinBox2 text" << true << false << false << false << true;
        QTest::newRow("switch") << "Switch1" << true << false << false << true << false;
        QTest::newRow("chart") << "Image1" << false << false << false << false << false;
        QTest::newRow("ship") << "Ellipse1" << false << false << false << false << false;
    }
    void states() {
        QFETCH(QString, component);
        QFETCH(bool, focusable);
        QFETCH(bool, invisible);
        QFETCH(bool, disabled);
        QFETCH(bool, checkable);
        QFETCH(bool, editable);
        const QAccessible::State state = named(window().form(), component)->state();
        QCOMPARE(bool(state.focusable), focusable);
        QCOMPARE(bool(state.invisible), invisible);
        QCOMPARE(bool(state.disabled), disabled);
        QCOMPARE(bool(state.checkable), checkable);
        QCOMPARE(bool(state.editable), editable);
        QVERIFY(!state.focused);
        QVERIFY(!state.checked);
        QVERIFY(!state.offscreen);
    }

    void screenRects_data() {
        QTest::addColumn<QString>("component");
        QTest::addColumn<QRect>("inWindow");
        QTest::newRow("window") << "Form1" << QRect(0, 0, 640, 480);
        QTest::newRow("strip") << "Panel1" << QRect(0, 0, 640, 57);
        QTest::newRow("open button") << "Button1" << QRect(0, 0, 105, 57);
        // 64 x 57 stood on end about its centre (430, 28.5), whole pixels
        // around it.
        QTest::newRow("dial, turned") << "ArcDial1" << QRect(401, -4, 58, 65);
        QTest::newRow("speed box") << "SpinBox2" << QRect(462, 0, 100, 57);
        QTest::newRow("speed text") << "SpinBox2 text" << QRect(483, 4, 58, 49);
        QTest::newRow("switch") << "Switch1" << QRect(562, 0, 78, 57);
        QTest::newRow("chart") << "Image1" << QRect(0, 57, 640, 423);
        QTest::newRow("ship") << "Ellipse1" << QRect(136, 240, 9, 22);
    }
    void screenRects() {
        QFETCH(QString, component);
        QFETCH(QRect, inWindow);
        TForm1& f = window().form();
        QCOMPARE(named(f, component)->rect(), onScreen(f, inWindow));
    }

    void childAtAPoint_data() {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QString>("child");
        // The top-most first, as a press there would find it.
        QTest::newRow("ship above the chart") << "Form1" << QPoint(140, 251) << "Ellipse1";
        QTest::newRow("chart") << "Form1" << QPoint(300, 300) << "Image1";
        QTest::newRow("strip") << "Form1" << QPoint(50, 28) << "Panel1";
        QTest::newRow("button in the strip") << "Panel1" << QPoint(50, 28) << "Button1";
        QTest::newRow("hidden button's place") << "Panel1" << QPoint(150, 28) << "";
        QTest::newRow("dial") << "Panel1" << QPoint(430, 28) << "ArcDial1";
        QTest::newRow("speed text") << "SpinBox2" << QPoint(510, 28) << "SpinBox2 text";
        QTest::newRow("minus button") << "SpinBox2" << QPoint(470, 28) << "";
        QTest::newRow("outside") << "Form1" << QPoint(700, 28) << "";
    }
    void childAtAPoint() {
        QFETCH(QString, parent);
        QFETCH(QPoint, at);
        QFETCH(QString, child);
        TForm1& f = window().form();
        const QPoint point = onScreen(f, at);
        QAccessibleInterface* expected = child.isEmpty() ? nullptr : named(f, child);
        QCOMPARE(named(f, parent)->childAt(point.x(), point.y()), expected);
    }

    void chartPictureOnScreen() {
        TForm1& f = window().form();
        QAccessibleImageInterface* chart = of(f.Image1)->imageInterface();
        QVERIFY(chart);
        // 6208 x 2500 fitted into 640 x 423: 640 x 258 at 82 below the strip.
        QCOMPARE(chart->imagePosition(), onScreen(f, QPoint(0, 57 + 82)));
        QCOMPARE(chart->imageSize(), QSize(640, 258));
        QVERIFY(!of(f.Ellipse1)->imageInterface());
    }

    void nameFromTheDescriptionOrTheText() {
        TForm1& f = window().form();
        f.Button1->SetText(QStringLiteral("Open chart"));
        QCOMPARE(of(f.Button1)->text(QAccessible::Name), QStringLiteral("Open chart"));
        f.Button1->SetAccessibleName(QStringLiteral("Open a chart picture"));
        QCOMPARE(of(f.Button1)->text(QAccessible::Name), QStringLiteral("Open a chart picture"));
        f.Switch1->SetAccessibleName({});
        QCOMPARE(of(f.Switch1)->text(QAccessible::Name), QString());
    }

    void stateFollowsTheControls() {
        TForm1& f = window().form();
        f.Switch1->SetIsChecked(true);
        QVERIFY(of(f.Switch1)->state().checked);
        f.SpinBox2->SetEnabled(false);
        QVERIFY(of(f.SpinBox2)->state().disabled);
        QVERIFY(named(f, QStringLiteral("SpinBox2 text"))->state().disabled);
        f.Panel1->SetVisible(false);
        QVERIFY(of(f.Switch1)->state().invisible);
        QVERIFY(named(f, QStringLiteral("SpinBox2 text"))->state().invisible);
        // A ship sailed off the chart is still there, out of sight.
        f.Ellipse1->Position.SetPoint(2000, 240);
        QVERIFY(of(f.Ellipse1)->state().offscreen);
        QVERIFY(!of(f.Ellipse1)->state().invisible);
    }

    void focusFollowsTheKeyboard() {
        TestWindow& w = window();
        TForm1& f = w.form();
        QAccessibleInterface* form = of(f.View());
        QCOMPARE(form->focusChild(), nullptr);
        // Tab order: the switch, the open button, the speed box, around.
        const QList<QObject*> order{f.Switch1, f.Button1, f.SpinBox2, f.Switch1};
        const QList<QObject*> all{f.Button1, f.SpinBox2, f.Switch1};
        for (QObject* expected : order) {
            w.key(Qt::Key_Tab);
            for (QObject* control : all)
                QCOMPARE(bool(of(control)->state().focused), control == expected);
            // The speed box's caret is in its text, which has the focus too.
            QObject* caret = expected == f.SpinBox2 ? f.SpinBox2->Editor().LineEdit() : expected;
            QCOMPARE(form->focusChild(), of(caret));
            QCOMPARE(bool(named(f, QStringLiteral("SpinBox2 text"))->state().focused),
                     expected == f.SpinBox2);
        }
    }

    void turnedShipsRect() {
        TForm1& f = window().form();
        f.Ellipse1->SetRotationAngle(90);
        // 22 x 9 across its centre (140.5, 251).
        QCOMPARE(of(f.Ellipse1)->rect(), onScreen(f, QRect(129, 246, 23, 10)));
    }

    void valuesOfDialAndSpeedBox() {
        TestWindow& w = window();
        TForm1& f = w.form();
        QAccessibleValueInterface* dial = of(f.ArcDial1)->valueInterface();
        QVERIFY(dial);
        QCOMPARE(dial->currentValue().toDouble(), 0.0);
        QCOMPARE(dial->minimumValue().toDouble(), -180.0);
        QCOMPARE(dial->maximumValue().toDouble(), 180.0);
        QCOMPARE(dial->minimumStepSize().toDouble(), 1.0);
        f.ArcDial1->SetFrequency(15);
        QCOMPARE(dial->minimumStepSize().toDouble(), 15.0);

        QAccessibleValueInterface* speed = of(f.SpinBox2)->valueInterface();
        QVERIFY(speed);
        QCOMPARE(speed->currentValue().toDouble(), 10.0);
        QCOMPARE(speed->minimumValue().toDouble(), 1.0);
        QCOMPARE(speed->maximumValue().toDouble(), 10.0);
        QCOMPARE(speed->minimumStepSize().toDouble(), 1.0);
        w.click(QPoint(472, 28));  // minus
        QCOMPARE(speed->currentValue().toDouble(), 9.0);
        QCOMPARE(of(f.SpinBox2)->text(QAccessible::Value), QStringLiteral("9"));
        // Typed but not committed: the box shows it, its value is the last
        // committed number.
        QTest::keyClick(f.View(), Qt::Key_5);
        QCOMPARE(of(f.SpinBox2)->text(QAccessible::Value), QStringLiteral("5"));
        QCOMPARE(speed->currentValue().toDouble(), 9.0);

        QVERIFY(!of(f.Switch1)->valueInterface());
        QVERIFY(!of(f.Button1)->valueInterface());
    }

    void valueWrittenByAssistiveTechnology_data() {
        QTest::addColumn<QString>("component");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QVariant>("requested");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("dial") << "ArcDial1" << true << QVariant(-90.0) << -90.0 << "-90°";
        QTest::newRow("dial wraps") << "ArcDial1" << true << QVariant(190.0) << -170.0 << "-170°";
        QTest::newRow("dial, not a number")
            << "ArcDial1" << true << QVariant(QStringLiteral("north")) << 0.0 << "0°";
        QTest::newRow("dial disabled") << "ArcDial1" << false << QVariant(45.0) << 0.0 << "0°";
        QTest::newRow("speed") << "SpinBox2" << true << QVariant(3.0) << 3.0 << "3";
        QTest::newRow("speed clamped") << "SpinBox2" << true << QVariant(0.0) << 1.0 << "1";
        QTest::newRow("speed disabled") << "SpinBox2" << false << QVariant(3.0) << 10.0 << "10";
    }
    void valueWrittenByAssistiveTechnology() {
        QFETCH(QString, component);
        QFETCH(bool, enabled);
        QFETCH(QVariant, requested);
        QFETCH(double, value);
        QFETCH(QString, shown);
        TForm1& f = window().form();
        auto* control = dynamic_cast<TControl*>(f.FindComponent(component));
        control->SetEnabled(true);
        f.ArcDial1->SetValue(0);
        f.SpinBox2->SetValue(10);
        control->SetEnabled(enabled);
        QAccessibleInterface* accessible = of(control);
        accessible->valueInterface()->setCurrentValue(requested);
        QCOMPARE(accessible->valueInterface()->currentValue().toDouble(), value);
        QCOMPARE(accessible->text(QAccessible::Value), shown);
    }

    void dialTurnedByAssistiveTechnologyTurnsTheShip() {
        TForm1& f = window().form();
        f.Switch1->SetIsChecked(true);
        of(f.ArcDial1)->valueInterface()->setCurrentValue(-90.0);
        QCOMPARE(u, 90.0);
        QCOMPARE(of(f.Ellipse1)->text(QAccessible::Description),
                 QStringLiteral("Ship at 140, 251 heading 90°"));
    }

    void actions_data() {
        QTest::addColumn<QString>("component");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("action");
        const QString press = QAccessibleActionInterface::pressAction();
        const QString toggle = QAccessibleActionInterface::toggleAction();
        const QString focus = QAccessibleActionInterface::setFocusAction();
        const QString up = QAccessibleActionInterface::increaseAction();
        const QString down = QAccessibleActionInterface::decreaseAction();
        QTest::newRow("open button") << "Button1" << QStringList{press, focus} << press;
        QTest::newRow("hidden photo button") << "Button3" << QStringList{} << press;
        QTest::newRow("switch") << "Switch1" << QStringList{toggle, focus} << toggle;
        QTest::newRow("speed up") << "SpinBox2" << QStringList{up, down, focus} << up;
        QTest::newRow("speed down") << "SpinBox2" << QStringList{up, down, focus} << down;
        QTest::newRow("focus") << "Button1" << QStringList{press, focus} << focus;
        QTest::newRow("dial") << "ArcDial1" << QStringList{} << focus;
        QTest::newRow("chart") << "Image1" << QStringList{} << press;
    }
    void actions() {
        QFETCH(QString, component);
        QFETCH(QStringList, actions);
        QFETCH(QString, action);
        TForm1& f = window().form();
        reset(f);
        int chooserCalls = 0;
        const TOpenDialog::TChooser previous = TOpenDialog::Chooser();
        TOpenDialog::Chooser() = [&](QWidget*, const QString&) -> std::optional<QString> {
            ++chooserCalls;
            return std::nullopt;
        };
        QAccessibleActionInterface* accessible = named(f, component)->actionInterface();
        QVERIFY(accessible);
        QCOMPARE(accessible->actionNames(), actions);
        accessible->doAction(action);
        // Nothing happens inside the call: a dialog that the action opens
        // mustn't hold up whoever asked for it.
        QCOMPARE(chooserCalls, 0);
        QVERIFY(!f.Switch1->IsChecked());
        QCOMPARE(f.SpinBox2->Value(), 10.0f);
        QCOMPARE(f.Focused(), nullptr);
        QCoreApplication::processEvents();
        TOpenDialog::Chooser() = previous;

        const bool done = actions.contains(action);
        const QString press = QAccessibleActionInterface::pressAction();
        QCOMPARE(chooserCalls, done && component == QStringLiteral("Button1") && action == press);
        QCOMPARE(f.Switch1->IsChecked(), done && component == QStringLiteral("Switch1"));
        QCOMPARE(f.Timer1->Enabled(), f.Switch1->IsChecked());
        float speed = 10;
        if (done && action == QAccessibleActionInterface::decreaseAction()) speed = 9;
        QCOMPARE(f.SpinBox2->Value(), speed);
        const bool focused = done && action == QAccessibleActionInterface::setFocusAction();
        QCOMPARE(f.Focused(), focused ? f.Button1 : nullptr);
    }

    void actionOnAControlDisabledMeanwhile() {
        TForm1& f = window().form();
        of(f.Switch1)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        f.Switch1->SetEnabled(false);
        QCoreApplication::processEvents();
        QVERIFY(!f.Switch1->IsChecked());
    }

    void shipDescription_data() {
        QTest::addColumn<QPointF>("position");
        QTest::addColumn<float>("angle");
        QTest::addColumn<QString>("description");
        QTest::newRow("at the start") << QPointF(136, 240) << 0.0f << "Ship at 140, 251 heading 0°";
        // Where a click at (200, 300) puts it.
        QTest::newRow("placed") << QPointF(195.5, 289) << 0.0f << "Ship at 200, 300 heading 0°";
        QTest::newRow("east") << QPointF(136, 240) << 90.0f << "Ship at 140, 251 heading 90°";
        QTest::newRow("west, turned back")
            << QPointF(136, 240) << -90.0f << "Ship at 140, 251 heading 270°";
        QTest::newRow("nearly north")
            << QPointF(136, 240) << 359.6f << "Ship at 140, 251 heading 0°";
        QTest::newRow("half a degree, to even")
            << QPointF(136, 240) << 22.5f << "Ship at 140, 251 heading 22°";
        QTest::newRow("off the window")
            << QPointF(-20.5, -40) << 180.0f << "Ship at -16, -29 heading 180°";
    }
    void shipDescription() {
        QFETCH(QPointF, position);
        QFETCH(float, angle);
        QFETCH(QString, description);
        TForm1& f = window().form();
        f.Ellipse1->Position.SetPoint(float(position.x()), float(position.y()));
        f.Ellipse1->SetRotationAngle(angle);
        QCOMPARE(of(f.Ellipse1)->text(QAccessible::Description), description);
    }

    void notices_data() {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QString>("component");
        QTest::addColumn<QList<int>>("types");
        using A = QAccessible;
        QTest::newRow("dial turned") << "dial turned"
                                     << "ArcDial1" << QList<int>{A::ValueChanged};
        QTest::newRow("speed stepped down") << "speed stepped down"
                                            << "SpinBox2" << QList<int>{A::ValueChanged};
        QTest::newRow("switch turned on") << "switch turned on"
                                          << "Switch1" << QList<int>{A::StateChanged};
        QTest::newRow("focus to the switch") << "tab"
                                             << "Switch1" << QList<int>{A::Focus};
        // Across, then down: the description changes with each.
        QTest::newRow("ship placed") << "chart clicked"
                                     << "Ellipse1"
                                     << QList<int>{A::LocationChanged, A::DescriptionChanged,
                                                   A::LocationChanged, A::DescriptionChanged};
        QTest::newRow("ship turned")
            << "ship turned"
            << "Ellipse1" << QList<int>{A::LocationChanged, A::DescriptionChanged};
        QTest::newRow("button renamed") << "button renamed"
                                        << "Button1" << QList<int>{A::NameChanged};
        QTest::newRow("button hidden") << "button hidden"
                                       << "Button1" << QList<int>{A::ObjectHide};
        QTest::newRow("button disabled") << "button disabled"
                                         << "Button1" << QList<int>{A::StateChanged};
    }
    void notices() {
        QFETCH(QString, gesture);
        QFETCH(QString, component);
        QFETCH(QList<int>, types);
        TestWindow& w = window();
        reset(w.form());
        QObject* object = objectNamed(w.form(), component);
        NoticeLog log;
        perform(w, gesture);
        QCOMPARE(log.typesFor(object), types);

        if (const auto value = log.last(object, QAccessible::ValueChanged))
            QCOMPARE(value->value.toDouble(), gesture == "dial turned" ? -45.0 : 9.0);
        if (const auto state = log.last(object, QAccessible::StateChanged)) {
            const bool checked = component == QStringLiteral("Switch1");
            QCOMPARE(bool(state->changed.checked), checked);
            QCOMPARE(bool(state->changed.disabled), !checked);
        }
    }

    void noNoticesWhileNothingListens() {
        TestWindow w;
        NoticeLog log(false);
        for (const char* gesture : {"dial turned", "speed stepped down", "switch turned on", "tab",
                                    "chart clicked", "button renamed", "button hidden"})
            perform(w, QString::fromLatin1(gesture));
        QCOMPARE(log.notices.size(), size_t(0));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
