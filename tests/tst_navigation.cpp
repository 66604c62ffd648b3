#include <QTest>
#include <cmath>

#include "navigation/HeadingRule.h"
#include "navigation/MotionStep.h"

// The heading rule and the motion step, apart from any window.
class NavigationTest : public QObject {
    Q_OBJECT

private slots:
    void headingFromDial_data() {
        QTest::addColumn<float>("dial");
        QTest::addColumn<double>("heading");
        QTest::newRow("negative turns right") << -90.0f << 90.0;
        QTest::newRow("positive turns left") << 90.0f << 270.0;
        QTest::newRow("fraction keeps its digits") << -33.3f << double(33.3f);
        QTest::newRow("zero steers north") << 0.0f << 0.0;
        QTest::newRow("negative zero steers north") << -0.0f << 0.0;
        QTest::newRow("180 is south") << 180.0f << 180.0;
        QTest::newRow("-180 is south") << -180.0f << 180.0;
        QTest::newRow("just above zero") << 1e-6f << 360.0 - double(1e-6f);
    }
    void headingFromDial() {
        QFETCH(float, dial);
        QFETCH(double, heading);
        const double u = HeadingRule::FromDial(dial);
        QCOMPARE(u, heading);
        QVERIFY(!std::signbit(u));
    }

    // Expected values come from an independent computation: the heading in
    // radians rounded once from an 80-digit product, then the step in double
    // precision narrowed to single.
    void step_data() {
        QTest::addColumn<double>("heading");
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<double>("speed");
        QTest::addColumn<double>("theta");
        QTest::addColumn<float>("nextX");
        QTest::addColumn<float>("nextY");
        QTest::newRow("north moves only y")
            << 0.0 << 136.0f << 240.0f << 10.0 << 0.0 << 136.0f << 230.0f;
        QTest::newRow("east") << 90.0 << 136.0f << 240.0f << 10.0 << 0x1.921fb54442d18p+0 << 146.0f
                              << 240.0f;
        QTest::newRow("south") << 180.0 << 136.0f << 240.0f << 10.0 << 0x1.921fb54442d18p+1
                               << 136.0f << 250.0f;
        QTest::newRow("west") << 270.0 << 136.0f << 240.0f << 10.0 << 0x1.2d97c7f3321d2p+2 << 126.0f
                              << 240.0f;
        QTest::newRow("fractional heading")
            << double(33.3f) << 136.0f << 240.0f << 7.0 << 0x1.2992579c4a8f5p-1 << 0x1.17afb2p+7f
            << 0x1.d44c78p+7f;
        QTest::newRow("off the chart") << 360.0 - double(123.456f) << 17.25f << -3.5f << 3.0
                                       << 0x1.0838e0f5d6b99p+2 << 0x1.d7e802p+3f << -0x1.d89ab4p+0f;
    }
    void step() {
        QFETCH(double, heading);
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(double, speed);
        QFETCH(double, theta);
        QFETCH(float, nextX);
        QFETCH(float, nextY);
        const double radians = MotionStep::Radians(heading);
        QCOMPARE(radians, theta);
        // Exact comparisons: the point is the precision, not closeness.
        QVERIFY(MotionStep::NextX(x, speed, radians) == nextX);
        QVERIFY(MotionStep::NextY(y, speed, radians) == nextY);
    }

    void cardinalHeadingsLeaveTinyCrossTerms() {
        // No special case at 90: the cosine is not exactly 0, and the y
        // change is a tiny fraction of a pixel that single precision absorbs
        // at 240 but not at 0.
        const double theta = MotionStep::Radians(90);
        QVERIFY(std::cos(theta) != 0);
        QCOMPARE(MotionStep::NextY(240.0f, 10, theta), 240.0f);
        QVERIFY(MotionStep::NextY(0.0f, 10, theta) != 0.0f);
    }
};

QTEST_APPLESS_MAIN(NavigationTest)
#include "tst_navigation.moc"
