#include <QRegularExpression>
#include <QTest>

#include "TestWindow.h"
#include "framework/core/Exception.h"
#include "framework/loader/TClassRegistry.h"
#include "framework/loader/TDescriptionLoader.h"

namespace {

// A small window to load hand-written descriptions into.
class TTestForm : public TForm {
public:
    explicit TTestForm(TComponent* owner) : TForm(owner) {
        PublishField("Button1", Button1);
        PublishField("Ellipse1", Ellipse1);
        PublishHandler("Button1Click", &TTestForm::Button1Click);
        PublishHandler("ImageMouseDown", &TTestForm::ImageMouseDown);
    }
    void Button1Click(TObject*) {}
    void ImageMouseDown(TObject*, TMouseButton, TShiftState, float, float) {}

    TButton* Button1 = nullptr;
    TButton* Ellipse1 = nullptr;  // deliberately of another class than stored
};

QByteArray describe(const QString& children) {
    return QStringLiteral(R"({"name": "Form1", "class": "TTestForm", "children": [%1]})")
        .arg(children)
        .toUtf8();
}

}  // namespace

// The window description: the real one builds the whole tree; a broken one
// fails naming what is wrong and where.
class LoaderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        RegisterUnit1Classes();
        TClassRegistry::Instance().Register<TTestForm>("TTestForm", "TForm");
    }

    void realDescriptionBuildsTheTree() {
        // The chart's decode, started before the window is built, is the
        // one the chart view takes.
        QTest::failOnWarning(QRegularExpression("was not used"));
        TestWindow w;
        TForm1& f = w.form();
        QStringList names;
        for (TComponent* c : f.Components()) names << c->Name();
        QCOMPARE(names, QStringList({"Panel1", "Button1", "Button3", "ArcDial1", "SpinBox2",
                                     "Switch1", "OpenDialog1", "Timer1", "Image1", "Ellipse1",
                                     "ActionList1", "TakePhotoFromLibraryAction1"}));
        for (TControl* c : {static_cast<TControl*>(f.Button1), static_cast<TControl*>(f.Button3),
                            static_cast<TControl*>(f.ArcDial1), static_cast<TControl*>(f.SpinBox2),
                            static_cast<TControl*>(f.Switch1)})
            QCOMPARE(c->ParentControl(), f.Panel1);
        QCOMPARE(f.Panel1->ParentControl(), nullptr);
        QCOMPARE(f.Image1->ParentControl(), nullptr);
        QCOMPARE(f.Ellipse1->ParentControl(), nullptr);
        QCOMPARE(f.Controls(), std::vector<TControl*>({f.Panel1, f.Image1, f.Ellipse1}));
        QCOMPARE(f.ActionList1->Actions(), std::vector<TAction*>({f.TakePhotoFromLibraryAction1}));
        QCOMPARE(f.Button3->Action(), f.TakePhotoFromLibraryAction1);
        QCOMPARE(f.TakePhotoFromLibraryAction1->Category(), QStringLiteral("Media Library"));
        QCOMPARE(f.SpinBox2->Cursor(), TCursor::crIBeam);
        QCOMPARE(f.SpinBox2->InteractiveGestures(), QStringList({"LongTap", "DoubleTap"}));
        QCOMPARE(f.Panel1->TabOrder(), 1);
        QCOMPARE(f.Switch1->TabOrder(), 0);
        QCOMPARE(f.ArcDial1->TabOrder(), 6);
        QVERIFY(bool(f.Button1->OnClick));
        QVERIFY(bool(f.ArcDial1->OnChange));
        QVERIFY(bool(f.Switch1->OnSwitch));
        QVERIFY(bool(f.Timer1->OnTimer));
        QVERIFY(bool(f.Image1->OnMouseDown));
        QVERIFY(bool(f.TakePhotoFromLibraryAction1->OnDidFinishTaking));
        QVERIFY(!f.Ellipse1->OnMouseDown);
        QCOMPARE(f.Image1->MultiResBitmap().Count(), 1);
        QCOMPARE(f.Image1->MultiResBitmap().Item(0).Scale(), 1.0f);
        for (TComponent* c : f.Components()) QVERIFY(!c->IsLoading());
    }

    void brokenDescriptionsNameTheFault_data() {
        QTest::addColumn<QByteArray>("description");
        QTest::addColumn<QString>("message");
        const QString button = R"({"name": "Button1", "class": "TButton", %1})";
        QTest::newRow("unknown class")
            << describe(R"({"name": "Gauge1", "class": "TGauge"})")
            << R"(test.json: Form1.Gauge1 (TGauge): unknown class "TGauge")";
        QTest::newRow("unknown property")
            << describe(button.arg(R"("properties": {"Colour": "xFF000000"})"))
            << R"(test.json: Form1.Button1 (TButton): unknown property "Colour")";
        QTest::newRow("unknown nested property")
            << describe(button.arg(R"("properties": {"Position": {"X": 1, "Z": 2}})"))
            << R"(test.json: Form1.Button1 (TButton): unknown property "Position.Z")";
        QTest::newRow("unknown handler")
            << describe(button.arg(R"("events": {"OnClick": "Button1Klick"})"))
            << R"(test.json: Form1.Button1 (TButton): unknown handler "Button1Klick")";
        QTest::newRow("unknown event")
            << describe(button.arg(R"("events": {"OnWobble": "Button1Click"})"))
            << R"(test.json: Form1.Button1 (TButton): unknown event "OnWobble")";
        QTest::newRow("handler of the wrong kind")
            << describe(button.arg(R"("events": {"OnClick": "ImageMouseDown"})"))
            << R"(test.json: Form1.Button1 (TButton): handler "ImageMouseDown" does not fit event "OnClick")";
        QTest::newRow("value of the wrong kind")
            << describe(button.arg(R"("properties": {"Text": 5})"))
            << R"(test.json: Form1.Button1 (TButton): property "Text" must be a string)";
        QTest::newRow("unknown enumeration value")
            << describe(button.arg(R"("properties": {"Align": "Middle"})"))
            << R"(test.json: Form1.Button1 (TButton): unknown value "Middle" for property "Align")";
        QTest::newRow("missing action")
            << describe(button.arg(R"("properties": {"Action": "Nowhere1"})"))
            << R"(test.json: Form1.Button1 (TButton): no action named "Nowhere1")";
        QTest::newRow("nested child")
            << describe(R"({"name": "Panel1", "class": "TPanel", "children": [)"
                        R"({"name": "Dial1", "class": "TArcDial", "properties": {"Tilt": 1}}]})")
            << R"(test.json: Form1.Panel1.Dial1 (TArcDial): unknown property "Tilt")";
        QTest::newRow("field of another class")
            << describe(R"({"name": "Ellipse1", "class": "TEllipse"})")
            << R"(test.json: Form1.Ellipse1 (TEllipse): the window's field "Ellipse1" is of another class)";
        QTest::newRow("child of a non-visual component")
            << describe(R"({"name": "Timer1", "class": "TTimer", "children": [)"
                        R"({"name": "Panel1", "class": "TPanel"}]})")
            << R"(test.json: Form1.Timer1.Panel1 (TPanel): "Timer1" can't hold "Panel1")";
        QTest::newRow("duplicate name")
            << describe(
                   R"({"name": "Panel1", "class": "TPanel"}, {"name": "Panel1", "class": "TPanel"})")
            << R"(test.json: Form1.Panel1 (TPanel): the name is already taken)";
        QTest::newRow("window of another class")
            << QByteArray(R"({"name": "Form1", "class": "TForm1"})")
            << R"(test.json: Form1 (TForm1): the window is not of class "TForm1")";
        // Pictures are read ahead of building the window; their faults are
        // still told in their place, after any fault before them.
        const QString image =
            R"({"name": "Image1", "class": "TImage", "properties": {"MultiResBitmap": %1}})";
        QTest::newRow("missing picture")
            << describe(image.arg(R"([{"Width": 4, "Height": 4, "Picture": "nowhere.png"}])"))
            << R"(test.json: Form1.Image1 (TImage): cannot read the picture "./nowhere.png")";
        QTest::newRow("fault before a missing picture")
            << describe(button.arg(R"("properties": {"Colour": "xFF000000"})") + u',' +
                        image.arg(R"([{"Width": 4, "Height": 4, "Picture": "nowhere.png"}])"))
            << R"(test.json: Form1.Button1 (TButton): unknown property "Colour")";
        QTest::newRow("pictures not in a list")
            << describe(image.arg(R"({"Picture": "nowhere.png"})"))
            << R"(test.json: Form1.Image1 (TImage): property "MultiResBitmap" must be a list)";
        // Every field the window publishes gets its component, by the exact
        // name: a misspelt one fails at once, not at the first handler using
        // it.
        QTest::newRow("field without its component")
            << describe(R"({"name": "Buton1", "class": "TButton"})")
            << R"(test.json: Form1 (TTestForm): no component named "Button1" for the window's field)";
        QTest::newRow("names match exactly, case included")
            << describe(R"({"name": "button1", "class": "TButton"})")
            << R"(test.json: Form1 (TTestForm): no component named "Button1" for the window's field)";
        QTest::newRow("references match exactly, case included")
            << describe(R"({"name": "ActionList1", "class": "TActionList", "children": [)"
                        R"({"name": "Action1", "class": "TAction"}]}, )" +
                        button.arg(R"("properties": {"Action": "action1"})"))
            << R"(test.json: Form1.Button1 (TButton): no action named "action1")";
        QTest::newRow("not JSON") << QByteArray("{\"name\": ") << "";
    }
    void brokenDescriptionsNameTheFault() {
        QFETCH(QByteArray, description);
        QFETCH(QString, message);
        TTestForm form(nullptr);
        try {
            TDescriptionLoader().Load(form, description, "test.json");
            QFAIL("the description loaded");
        } catch (const EDescriptionError& e) {
            if (message.isEmpty())
                QVERIFY2(e.Message().startsWith("test.json: not a readable description"),
                         qPrintable(e.Message()));
            else
                QCOMPARE(e.Message(), message);
        }
    }
};

QTEST_MAIN(LoaderTest)
#include "tst_loader.moc"
