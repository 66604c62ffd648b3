#include <QApplication>
#include <QDialog>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QImage>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <limits>

#include "TestWindow.h"
#include "framework/loader/TClassRegistry.h"
#include "framework/loader/TDescriptionLoader.h"
#include "framework/window/TFormView.h"
#include "navigation/HeadingRule.h"

namespace {

// ArcDial1's centre on the screen: the middle of its 64 x 57 box at
// (398, 0), which stays in place when the box is turned.
const QPointF kCentre(430, 28.5);

// What Value must be for a pointer at a window point: the compass bearing
// from the dial's centre, with its sign reversed and wrapped.
float screenValue(QPointF at) {
    const QPointF d = at - kCentre;
    const double degrees = std::atan2(-d.x(), -d.y()) * 180.0 / M_PI;
    return float(degrees <= -180.0 ? degrees + 360.0 : degrees);
}

// Angles on the circle, where -180 and 180 meet.
double angleBetween(double a, double b) {
    return std::abs(std::remainder(a - b, 360.0));
}

// Counts OnChange of the window's dial and still runs the window's handler.
struct ChangeCounter {
    explicit ChangeCounter(TArcDial* dial) {
        const TNotifyEvent handler = dial->OnChange;
        dial->OnChange = [this, dial, handler](TObject* sender) {
            seen.push_back(dial->Value());
            handler(sender);
        };
    }
    int count() const { return int(seen.size()); }
    std::vector<float> seen;
};

// Pointer input at exact, not whole-pixel, window points: straight to the
// scene, which grabs and maps them through the dial's turn as for real input.
void sendToScene(TForm1& f, QEvent::Type type, QPointF at,
                 Qt::MouseButtons buttons = Qt::LeftButton) {
    QGraphicsSceneMouseEvent event(type);
    event.setScenePos(at);
    event.setScreenPos(at.toPoint());
    event.setButton(type == QEvent::GraphicsSceneMouseMove ? Qt::NoButton : Qt::LeftButton);
    event.setButtonDownScenePos(Qt::LeftButton, at);
    event.setButtons(buttons);
    QApplication::sendEvent(f.Scene(), &event);
}

// A small window to load hand-written descriptions into.
class TDialForm : public TForm {
public:
    explicit TDialForm(TComponent* owner) : TForm(owner) {
        PublishField("Dial1", Dial1);
        PublishHandler("Dial1Change", &TDialForm::Dial1Change);
    }
    void Dial1Change(TObject*) { ++changes; }

    TArcDial* Dial1 = nullptr;
    int changes = 0;
};

}  // namespace

// The heading dial: its value, the pointer on the turned dial in the real
// window, its notifications, focus and look.
class ArcDialTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        RegisterUnit1Classes();
        TClassRegistry::Instance().Register<TDialForm>("TDialForm", "TForm");
    }

    void writesNotifyOnlyRealChanges_data() {
        QTest::addColumn<float>("frequency");
        QTest::addColumn<float>("start");
        QTest::addColumn<float>("written");
        QTest::addColumn<float>("value");
        QTest::addColumn<int>("changes");
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const float inf = std::numeric_limits<float>::infinity();
        QTest::newRow("new value") << 0.0f << 0.0f << 45.0f << 45.0f << 1;
        QTest::newRow("same value") << 0.0f << 45.0f << 45.0f << 45.0f << 0;
        QTest::newRow("-180 is 180") << 0.0f << 180.0f << -180.0f << 180.0f << 0;
        QTest::newRow("a turn further is the same") << 0.0f << 10.0f << 370.0f << 10.0f << 0;
        QTest::newRow("wraps") << 0.0f << 0.0f << 190.0f << -170.0f << 1;
        QTest::newRow("snaps") << 10.0f << 0.0f << 31.0f << 30.0f << 1;
        QTest::newRow("snaps onto where it is") << 10.0f << 30.0f << 29.0f << 30.0f << 0;
        QTest::newRow("NaN is ignored") << 0.0f << 20.0f << nan << 20.0f << 0;
        QTest::newRow("infinity is ignored") << 0.0f << 20.0f << inf << 20.0f << 0;
        QTest::newRow("-infinity is ignored") << 0.0f << 20.0f << -inf << 20.0f << 0;
    }
    void writesNotifyOnlyRealChanges() {
        QFETCH(float, frequency);
        QFETCH(float, start);
        QFETCH(float, written);
        QFETCH(float, value);
        QFETCH(int, changes);
        TArcDial dial(nullptr);
        dial.SetFrequency(frequency);
        dial.SetValue(start);
        std::vector<float> seen;
        dial.OnChange = [&](TObject* sender) {
            QCOMPARE(sender, &dial);
            seen.push_back(dial.Value());
        };
        dial.SetValue(written);
        QCOMPARE(dial.Value(), value);
        QCOMPARE(int(seen.size()), changes);
        // The new value is stored before anyone hears of it.
        for (float v : seen) QCOMPARE(v, value);
    }

    void loadsItsSettingsQuietly() {
        TDialForm form(nullptr);
        TDescriptionLoader().Load(
            form,
            R"({"name": "Form1", "class": "TDialForm", "children": [{"name": "Dial1",
                "class": "TArcDial", "properties": {"Value": 100, "Frequency": 15,
                "Tracking": false, "ShowValue": true}, "events": {"OnChange": "Dial1Change"}}]})",
            "test.json");
        TArcDial& dial = *form.Dial1;
        QCOMPARE(form.changes, 0);
        QCOMPARE(dial.Frequency(), 15.0f);
        QCOMPARE(dial.Value(), 105.0f);
        QVERIFY(!dial.Tracking());
        QVERIFY(dial.ShowValue());
        QCOMPARE(QSizeF(dial.Width(), dial.Height()), QSizeF(30, 30));
        dial.SetValue(200);
        QCOMPARE(form.changes, 1);
        QCOMPARE(dial.Value(), -165.0f);
    }

    // On the screen the heading is the pointer's compass bearing from the
    // dial's centre, through the dial's turn of 270 degrees.
    void pointerOnTheTurnedDialSetsTheHeading_data() {
        QTest::addColumn<QPointF>("offset");
        QTest::addColumn<float>("value");
        QTest::addColumn<double>("heading");
        QTest::newRow("straight up steers north") << QPointF(0, -20) << 0.0f << 0.0;
        QTest::newRow("up and right") << QPointF(20, -20) << -45.0f << 45.0;
        QTest::newRow("right") << QPointF(20, 0) << -90.0f << 90.0;
        QTest::newRow("down and right") << QPointF(20, 20) << -135.0f << 135.0;
        QTest::newRow("straight down") << QPointF(0, 20) << 180.0f << 180.0;
        QTest::newRow("down and left") << QPointF(-20, 20) << 135.0f << 225.0;
        QTest::newRow("left") << QPointF(-20, 0) << 90.0f << 270.0;
        QTest::newRow("up and left") << QPointF(-20, -20) << 45.0f << 315.0;
        QTest::newRow("on the centre itself") << QPointF(0, 0) << -90.0f << 90.0;
    }
    void pointerOnTheTurnedDialSetsTheHeading() {
        QFETCH(QPointF, offset);
        QFETCH(float, value);
        QFETCH(double, heading);
        TestWindow w;
        TForm1& f = w.form();
        QCOMPARE(f.ArcDial1->LocalToAbsolute(QPointF(32, 28.5)), kCentre);
        f.Switch1->SetIsChecked(true);
        // From a heading that no row has, so each row shows its own.
        f.ArcDial1->SetValue(30);
        QCOMPARE(u, 330.0);

        // Exactly at the offset. The centre lies on a half pixel, so only
        // the scene itself can put the pointer there.
        const QPointF press = kCentre + QPointF(10, -8);
        const QPointF at = kCentre + offset;
        sendToScene(f, QEvent::GraphicsSceneMousePress, press);
        sendToScene(f, QEvent::GraphicsSceneMouseMove, at);
        sendToScene(f, QEvent::GraphicsSceneMouseRelease, at, Qt::NoButton);
        QVERIFY2(angleBetween(f.ArcDial1->Value(), value) <= 1e-4,
                 qPrintable(QString::number(f.ArcDial1->Value())));
        QVERIFY(f.ArcDial1->Value() > -180.0f);
        QVERIFY2(angleBetween(u, heading) <= 1e-4, qPrintable(QString::number(u)));
        QCOMPARE(f.Ellipse1->RotationAngle(), float(u));
        if (offset.isNull()) return;

        // Through the platform, which rounds to whole pixels: far out along
        // the same direction, beyond the window where need be, the half
        // pixel costs a fraction of a degree.
        f.ArcDial1->SetValue(30);
        const QPointF direction = offset / std::hypot(offset.x(), offset.y());
        const QPoint far = (kCentre + 200 * direction).toPoint();
        w.press(press.toPoint());
        w.move(far);
        w.release(far);
        QVERIFY2(angleBetween(f.ArcDial1->Value(), screenValue(far)) <= 1e-4,
                 qPrintable(QString::number(f.ArcDial1->Value())));
        QVERIFY(angleBetween(f.ArcDial1->Value(), value) < 0.25);
        QVERIFY(angleBetween(u, heading) < 0.25);
    }

    void onChangeComesForEachChangeAndOnceMoreAtTheRelease_data() {
        QTest::addColumn<bool>("tracking");
        QTest::addColumn<int>("button");
        QTest::addColumn<float>("start");
        QTest::addColumn<QList<QPoint>>("path");
        QTest::addColumn<int>("duringDrag");
        QTest::addColumn<int>("atRelease");
        QTest::addColumn<float>("value");
        // Straight up and straight down lie exactly on whole pixels; right
        // and left are a half pixel off, which the expected values allow for.
        const QPoint up(430, 8), up2(430, 2), down(430, 49), down2(430, 55);
        const QPoint right(460, 28), left(400, 29);
        const int lb = Qt::LeftButton;
        QTest::newRow("press and release")
            << true << lb << 0.0f << QList<QPoint>{} << 0 << 0 << 0.0f;
        QTest::newRow("drag to another value")
            << true << lb << 0.0f << QList{right, down} << 2 << 1 << 180.0f;
        QTest::newRow("drag back to the start")
            << true << lb << 0.0f << QList{right, left, up} << 3 << 0 << 0.0f;
        QTest::newRow("same direction twice")
            << true << lb << 0.0f << QList{down, down2} << 1 << 1 << 180.0f;
        QTest::newRow("jitter within a ten-thousandth")
            << true << lb << 0.00005f << QList{up2} << 0 << 0 << 0.00005f;
        QTest::newRow("a change beyond it")
            << true << lb << 0.0002f << QList{up2} << 1 << 1 << 0.0f;
        QTest::newRow("out of the box and the window")
            << true << lb << 0.0f << QList{QPoint(430, 400), QPoint(-40, 29), QPoint(700, 600)} << 3
            << 1 << screenValue(QPoint(700, 600));
        QTest::newRow("tracking off, to another value")
            << false << lb << 0.0f << QList{right, down} << 0 << 2 << 180.0f;
        QTest::newRow("tracking off, back to the start")
            << false << lb << 0.0f << QList{right, left, up} << 0 << 0 << 0.0f;
        QTest::newRow("right button")
            << true << int(Qt::RightButton) << 0.0f << QList{right, down} << 0 << 0 << 0.0f;
        QTest::newRow("middle button")
            << true << int(Qt::MiddleButton) << 0.0f << QList{right, down} << 0 << 0 << 0.0f;
    }
    void onChangeComesForEachChangeAndOnceMoreAtTheRelease() {
        QFETCH(bool, tracking);
        QFETCH(int, button);
        QFETCH(float, start);
        QFETCH(QList<QPoint>, path);
        QFETCH(int, duringDrag);
        QFETCH(int, atRelease);
        QFETCH(float, value);
        TestWindow w;
        TForm1& f = w.form();
        f.Switch1->SetIsChecked(true);
        f.ArcDial1->SetTracking(tracking);
        f.ArcDial1->SetValue(start);
        ChangeCounter changes(f.ArcDial1);

        const QPoint press(430, 8);
        w.press(press, Qt::MouseButton(button));
        for (QPoint at : path) w.move(at);
        QCOMPARE(changes.count(), duringDrag);
        const QPoint end = path.isEmpty() ? press : path.back();
        w.release(end, Qt::MouseButton(button));
        QCOMPARE(changes.count(), duringDrag + atRelease);

        const float final = f.ArcDial1->Value();
        QVERIFY2(angleBetween(final, value) <= 1e-4, qPrintable(QString::number(final)));
        if (changes.count() == 0) return;
        // Each handler saw the value already stored, the last one the final
        // value, and the window turned the ship by it.
        QCOMPARE(changes.seen.back(), final);
        QCOMPARE(u, HeadingRule::FromDial(final));
    }

    void dragCutShortEndsQuietly_data() {
        QTest::addColumn<bool>("tracking");
        QTest::addColumn<float>("value");
        QTest::addColumn<int>("changes");
        // Tracking off: nobody heard of the drag, so it is taken back.
        QTest::newRow("tracking") << true << 180.0f << 1;
        QTest::newRow("tracking off") << false << 0.0f << 0;
    }
    void dragCutShortEndsQuietly() {
        QFETCH(bool, tracking);
        QFETCH(float, value);
        QFETCH(int, changes);
        TestWindow w;
        TForm1& f = w.form();
        f.ArcDial1->SetTracking(tracking);
        ChangeCounter counter(f.ArcDial1);
        w.press(QPoint(430, 8));
        w.move(QPoint(430, 49));
        // What a modal box opening in the middle of the drag does.
        {
            QDialog box(f.View());
            box.setModal(true);
            box.show();
            QCoreApplication::processEvents();
            QCOMPARE(f.Scene()->mouseGrabberItem(), nullptr);
        }
        QCoreApplication::processEvents();
        w.move(QPoint(460, 28));
        w.release(QPoint(460, 28));
        QCOMPARE(f.ArcDial1->Value(), value);
        QCOMPARE(counter.count(), changes);
    }

    void neverTakesTheFocusNorTheWheel() {
        TestWindow w;
        TForm1& f = w.form();
        ChangeCounter changes(f.ArcDial1);
        // Nothing focused stays so.
        w.click(QPoint(430, 8));
        QCOMPARE(f.Focused(), nullptr);
        f.SpinBox2->SetFocus();
        QCOMPARE(f.Focused(), f.SpinBox2);
        w.press(QPoint(430, 8));
        w.move(QPoint(430, 49));
        w.release(QPoint(430, 49));
        QCOMPARE(f.ArcDial1->Value(), 180.0f);
        QCOMPARE(f.Focused(), f.SpinBox2);

        const std::vector<TControl*> tabList = f.TabList();
        QVERIFY(std::find(tabList.begin(), tabList.end(), f.ArcDial1) == tabList.end());
        for (size_t i = 0; i < 2 * tabList.size(); ++i) {
            w.key(Qt::Key_Tab);
            QVERIFY(f.Focused() && f.Focused() != f.ArcDial1);
        }

        const int before = changes.count();
        const QPointF at(430, 20);
        QWheelEvent wheel(at, f.View()->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(f.View()->viewport(), &wheel);
        QCOMPARE(f.ArcDial1->Value(), 180.0f);
        QCOMPARE(changes.count(), before);
    }

    void dotStandsAtTheValueOnTheScreen() {
        TestWindow w;
        TForm1& f = w.form();
        auto gray = [&](int x, int y) {
            return qGray(f.View()->viewport()->grab().toImage().pixel(x, y));
        };
        // Value 0: the dot at the top, 4.5 pixels inside the rim, (430, 4.5).
        QVERIFY(gray(429, 4) < 60 && gray(430, 4) < 60);
        QVERIFY(gray(453, 28) > 180);
        // Value -90: turned a quarter clockwise, to the right, (454, 28.5).
        f.ArcDial1->SetValue(-90);
        QVERIFY(gray(453, 28) < 60 && gray(454, 28) < 60);
        QVERIFY(gray(429, 4) > 180 && gray(430, 4) > 180);
        // The dial's own top, white, is on the screen's left.
        QVERIFY(gray(408, 40) > gray(452, 40) + 20);
    }
};

QTEST_MAIN(ArcDialTest)
#include "tst_arcdial.moc"
