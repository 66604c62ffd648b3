#include <QElapsedTimer>
#include <QTest>

#include "TestWindow.h"
#include "navigation/MotionStep.h"

namespace {

QPointF markerCentre(const TForm1& f) {
    return f.Ellipse1->Position.Point() + QPointF(4.5, 11);
}

}  // namespace

// The ship: heading from the dial, steps from the timer, placement by clicks.
class VoyageTest : public QObject {
    Q_OBJECT

private slots:
    void headingFollowsTheDialWhileRunning_data() {
        QTest::addColumn<float>("dial");
        QTest::addColumn<double>("heading");
        QTest::newRow("negative") << -90.0f << 90.0;
        QTest::newRow("positive") << 90.0f << 270.0;
        QTest::newRow("zero steers north") << 0.0f << 0.0;
        QTest::newRow("180") << 180.0f << 180.0;
        QTest::newRow("-180 reads as 180") << -180.0f << 180.0;
        QTest::newRow("fraction") << -12.5f << 12.5;
    }
    void headingFollowsTheDialWhileRunning() {
        QFETCH(float, dial);
        QFETCH(double, heading);
        TestWindow w;
        TForm1& f = w.form();
        f.Switch1->SetIsChecked(true);
        // Start from another heading so that every row shows a change.
        f.ArcDial1->SetValue(-45);
        QCOMPARE(u, 45.0);
        f.ArcDial1->SetValue(dial);
        QCOMPARE(u, heading);
        QCOMPARE(f.Ellipse1->RotationAngle(), float(heading));
    }

    void switchOffIgnoresTheDialButStillAppliesTheRule() {
        TestWindow w;
        TForm1& f = w.form();
        f.ArcDial1->SetValue(-90);
        QCOMPARE(u, 0.0);
        QCOMPARE(f.Ellipse1->RotationAngle(), 0.0f);
        f.Switch1->SetIsChecked(true);  // takes the dial's value at this moment
        QCOMPARE(u, 90.0);
        QVERIFY(f.Timer1->Enabled());
        f.ArcDial1->SetValue(-180);
        QCOMPARE(u, 180.0);
        f.Switch1->SetIsChecked(false);
        QVERIFY(!f.Timer1->Enabled());
        f.ArcDial1->SetValue(-30);
        QCOMPARE(u, 180.0);
        f.Switch1->SetIsChecked(true);
        f.ArcDial1->SetValue(-60);
        f.Switch1->SetIsChecked(false);  // off still sets heading and rotation
        QCOMPARE(u, 60.0);
        QCOMPARE(f.Ellipse1->RotationAngle(), 60.0f);
    }

    void stepReadsTheSpeedEachTime() {
        TestWindow w;
        TForm1& f = w.form();
        f.Timer1Timer(f.Timer1);
        QCOMPARE(f.Ellipse1->Position.Point(), QPointF(136, 230));
        f.SpinBox2->SetValue(3);
        f.Timer1Timer(f.Timer1);
        QCOMPARE(f.Ellipse1->Position.Point(), QPointF(136, 227));
        u = double(33.3f);
        const float x = f.Ellipse1->Position.X(), y = f.Ellipse1->Position.Y();
        f.Timer1Timer(f.Timer1);
        const double theta = MotionStep::Radians(u);
        QVERIFY(f.Ellipse1->Position.X() == MotionStep::NextX(x, 3, theta));
        QVERIFY(f.Ellipse1->Position.Y() == MotionStep::NextY(y, 3, theta));
        // Nothing holds the marker on the chart.
        u = 270;
        for (int i = 0; i < 60; ++i) f.Timer1Timer(f.Timer1);
        QVERIFY(f.Ellipse1->Position.X() < 0);
    }

    void clickPlacesTheMarkerCentre_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("button");
        QTest::newRow("on the chart") << QPoint(300, 200) << int(Qt::LeftButton);
        QTest::newRow("right button") << QPoint(500, 300) << int(Qt::RightButton);
        QTest::newRow("middle button") << QPoint(20, 400) << int(Qt::MiddleButton);
        QTest::newRow("empty band above the chart") << QPoint(320, 100) << int(Qt::LeftButton);
        QTest::newRow("empty band below the chart") << QPoint(10, 470) << int(Qt::LeftButton);
        QTest::newRow("top edge of the view") << QPoint(0, 57) << int(Qt::LeftButton);
    }
    void clickPlacesTheMarkerCentre() {
        QFETCH(QPoint, at);
        QFETCH(int, button);
        TestWindow w;
        w.click(at, Qt::MouseButton(button));
        QCOMPARE(markerCentre(w.form()), QPointF(at));
        QCOMPARE(w.form().Ellipse1->RotationAngle(), 0.0f);
    }

    void doubleClickPlacesTheMarker() {
        TestWindow w;
        int presses = 0;
        const TMouseEvent place = w.form().Image1->OnMouseDown;
        w.form().Image1->OnMouseDown = [&](TObject* s, TMouseButton b, TShiftState sh, float x,
                                           float y) {
            ++presses;
            place(s, b, sh, x, y);
        };
        // The first press centres the marker on the point, so the second
        // lands on the marker's own ellipse, which takes it.
        w.doubleClick(QPoint(200, 300));
        QCOMPARE(presses, 1);
        QCOMPARE(markerCentre(w.form()), QPointF(200, 300));
        // Away from the marker both presses of a double click reach the chart.
        w.form().Ellipse1->SetHitTest(false);
        w.doubleClick(QPoint(400, 350));
        QCOMPARE(presses, 3);
        QCOMPARE(markerCentre(w.form()), QPointF(400, 350));
    }

    void pressesNearTheMarker_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("moves");
        // The marker's box is (136, 240) to (145, 262); its centre (140.5, 251).
        QTest::newRow("inside the ellipse") << QPoint(140, 251) << false;
        QTest::newRow("on the ellipse near its tip") << QPoint(140, 241) << false;
        QTest::newRow("box corner outside the ellipse") << QPoint(137, 241) << true;
        QTest::newRow("just outside the box") << QPoint(146, 251) << true;
    }
    void pressesNearTheMarker() {
        QFETCH(QPoint, at);
        QFETCH(bool, moves);
        TestWindow w;
        w.click(at);
        QCOMPARE(w.form().Ellipse1->Position.Point() != QPointF(136, 240), moves);
    }

    void stripDoesNotPlaceTheMarker() {
        TestWindow w;
        w.click(QPoint(300, 30));
        QCOMPARE(w.form().Ellipse1->Position.Point(), QPointF(136, 240));
    }

    void markerOverTheStripCoversItsControls() {
        TestWindow w;
        TForm1& f = w.form();
        int clicks = 0;
        f.Button1->OnClick = [&](TObject*) { ++clicks; };
        f.Ellipse1->Position.SetPoint(50, 10);  // centre (54.5, 21) over Button1
        w.click(QPoint(54, 21));
        QCOMPARE(clicks, 0);
        w.click(QPoint(51, 11));  // inside the box, outside the ellipse
        QCOMPARE(clicks, 1);
        w.click(QPoint(90, 40));
        QCOMPARE(clicks, 2);
    }

    void runningVoyageGoesOnFromTheNewPlace() {
        TestWindow w;
        TForm1& f = w.form();
        f.Timer1->SetInterval(30);
        f.Switch1->SetIsChecked(true);
        w.click(QPoint(300, 300));
        const QPointF placed = f.Ellipse1->Position.Point();
        QTRY_VERIFY(f.Ellipse1->Position.Point() != placed);
        QCOMPARE(f.Ellipse1->Position.X(), float(placed.x()));
        QVERIFY(f.Ellipse1->Position.Y() < placed.y());
    }

    void timerStepsOnlyWhileSwitchedOn() {
        TestWindow w;
        TForm1& f = w.form();
        int steps = 0;
        QElapsedTimer clock;
        qint64 firstStep = -1;
        f.Timer1->SetInterval(150);
        f.Timer1->OnTimer = [&](TObject*) {
            if (++steps == 1) firstStep = clock.elapsed();
        };
        clock.start();
        f.Switch1->SetIsChecked(true);
        QTRY_COMPARE(steps, 1);
        // Timers never fire early; the first step is a full interval away.
        QVERIFY2(firstStep >= 149, qPrintable(QString::number(firstStep)));
        f.Switch1->SetIsChecked(false);
        QTest::qWait(400);
        QCOMPARE(steps, 1);
    }

    void offAndOnRestartsTheCount() {
        TestWindow w;
        TForm1& f = w.form();
        int steps = 0;
        QElapsedTimer sinceLastOn;
        qint64 stepAt = -1;
        f.Timer1->SetInterval(300);
        f.Timer1->OnTimer = [&](TObject*) {
            if (++steps == 1) stepAt = sinceLastOn.elapsed();
        };
        f.Switch1->SetIsChecked(true);
        QTest::qWait(200);
        f.Switch1->SetIsChecked(false);
        f.Switch1->SetIsChecked(true);
        sinceLastOn.start();
        QTRY_COMPARE(steps, 1);
        QVERIFY2(stepAt >= 299, qPrintable(QString::number(stepAt)));
    }

    void closingStopsTheVoyage() {
        TestWindow w;
        TForm1& f = w.form();
        int steps = 0;
        f.Timer1->SetInterval(20);
        f.Timer1->OnTimer = [&](TObject*) { ++steps; };
        f.Switch1->SetIsChecked(true);
        QTRY_VERIFY(steps > 0);
        f.Close();
        const int atClose = steps;
        QVERIFY(!f.Timer1->Enabled());
        QTest::qWait(100);
        QCOMPARE(steps, atClose);
    }
};

QTEST_MAIN(VoyageTest)
#include "tst_voyage.moc"
