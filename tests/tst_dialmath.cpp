#include <QTest>
#include <cmath>
#include <limits>

#include "controls/dial/DialMath.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

}  // namespace

// The dial's angle rules, apart from any window.
class DialMathTest : public QObject {
    Q_OBJECT

private slots:
    void wrapsIntoTheRange_data() {
        QTest::addColumn<float>("written");
        QTest::addColumn<float>("step");
        QTest::addColumn<float>("value");
        QTest::newRow("-180 reads as 180") << -180.0f << 0.0f << 180.0f;
        QTest::newRow("190") << 190.0f << 0.0f << -170.0f;
        QTest::newRow("360") << 360.0f << 0.0f << 0.0f;
        QTest::newRow("540") << 540.0f << 0.0f << 180.0f;
        QTest::newRow("-190") << -190.0f << 0.0f << 170.0f;
        QTest::newRow("-540") << -540.0f << 0.0f << 180.0f;
        QTest::newRow("just above -180") << -179.5f << 0.0f << -179.5f;
        QTest::newRow("many turns") << 3605.0f << 0.0f << 5.0f;
        QTest::newRow("snaps to the nearest step") << 37.0f << 15.0f << 30.0f;
        QTest::newRow("tie goes to the even multiple") << 22.5f << 15.0f << 30.0f;
        QTest::newRow("tie the other way") << 37.5f << 15.0f << 30.0f;
        QTest::newRow("negative tie") << -22.5f << 15.0f << -30.0f;
        QTest::newRow("wraps before it snaps") << 365.0f << 90.0f << 0.0f;
        QTest::newRow("negative step snaps nothing") << 37.0f << -15.0f << 37.0f;
        QTest::newRow("step not dividing the circle keeps 180") << 180.0f << 7.0f << 180.0f;
        QTest::newRow("beyond 180 is limited to it") << 170.0f << 100.0f << 180.0f;
        // -170 snaps to -200, is limited to -180 and so stands at 180.
        QTest::newRow("never -180 after snapping") << -170.0f << 100.0f << 180.0f;
        // A step a hair over 0.1 turns -179.99 into a hair below -180.
        QTest::newRow("never -180 after rounding") << -179.99f << 0.1f << 180.0f;
    }
    void wrapsIntoTheRange() {
        QFETCH(float, written);
        QFETCH(float, step);
        QFETCH(float, value);
        QCOMPARE(DialMath::Wrap(written, step), value);
    }

    void valueStaysInRangeForAnyAngle() {
        // Rounding is where a value would slip out: near the ends, at huge
        // angles, and with steps that don't divide 360.
        for (float step : {0.0f, 0.1f, 7.0f, 1e-6f, 400.0f})
            for (float x : {-180.0f, std::nextafter(-180.0f, 0.0f), std::nextafter(180.0f, 0.0f),
                            std::nextafter(180.0f, 200.0f), -1e30f, 1e30f, 3.4e38f, -3.4e38f,
                            1e-45f, -1e-45f, 539.99997f, -899.99994f}) {
                const float v = DialMath::Wrap(x, step);
                QVERIFY2(v > -180.0f && v <= 180.0f, qPrintable(QStringLiteral("%1 step %2 -> %3")
                                                                    .arg(double(x))
                                                                    .arg(double(step))
                                                                    .arg(double(v))));
            }
    }

    void positionsCloseByRoundingAreTheSame_data() {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("equal") << 90.0 << 90.0 << true;
        QTest::newRow("relative tolerance") << 100.0 << 100.0 + 0.9e-10 << true;
        QTest::newRow("beyond it") << 100.0 << 100.0 + 1.1e-10 << false;
        QTest::newRow("absolute tolerance near zero") << 0.0 << 0.9e-12 << true;
        QTest::newRow("beyond it near zero") << 0.0 << 1.1e-12 << false;
        QTest::newRow("smaller magnitude decides") << -1e-3 << 1e-3 << false;
    }
    void positionsCloseByRoundingAreTheSame() {
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(bool, same);
        QCOMPARE(DialMath::SamePosition(a, b), same);
        QCOMPARE(DialMath::SamePosition(b, a), same);
    }

    void pointerAngle_data() {
        QTest::addColumn<float>("dx");
        QTest::addColumn<float>("dy");
        QTest::addColumn<float>("angle");
        QTest::newRow("right") << 10.0f << 0.0f << 0.0f;
        QTest::newRow("above") << 0.0f << -10.0f << 90.0f;
        QTest::newRow("below") << 0.0f << 10.0f << -90.0f;
        QTest::newRow("exactly left gives -180") << -10.0f << 0.0f << -180.0f;
        QTest::newRow("just above left") << -1000.0f << -1e-3f << 180.0f;
        QTest::newRow("centre") << 0.0f << 0.0f << -90.0f;
        // Within the floor the cosine is taken against the floor itself:
        // half of it gives -0.5, 120 degrees rather than the true 135.
        QTest::newRow("within the floor") << -1e-40f / 2 << -1e-40f / 2 << 120.0f;
        QTest::newRow("tiny but above the floor") << 1e-30f << -1e-30f << 45.0f;
        QTest::newRow("huge offsets keep their direction") << 2e38f << 2e38f << -45.0f;
    }
    void pointerAngle() {
        QFETCH(float, dx);
        QFETCH(float, dy);
        QFETCH(float, angle);
        const float got = DialMath::PointerAngle(dx, dy);
        QVERIFY2(std::abs(got - angle) <= 1e-5f, qPrintable(QString::number(double(got))));
    }

    void pointerAngleMatchesTheCompassDirection() {
        // Every whole-pixel offset around a dial: the angle is atan2(-dy, dx).
        for (int dy = -40; dy <= 40; dy += 3)
            for (int dx = -40; dx <= 40; dx += 3) {
                if (dx == 0 && dy == 0) continue;
                const double expected = std::atan2(-dy, dx) * 180.0 / M_PI;
                const float got = DialMath::PointerAngle(float(dx), float(dy));
                // -180 and 180 are the same direction.
                const double diff = std::remainder(double(got) - expected, 360.0);
                QVERIFY2(
                    std::abs(diff) < 2e-4,
                    qPrintable(QStringLiteral("(%1, %2) -> %3").arg(dx).arg(dy).arg(double(got))));
            }
    }

    void nonFiniteInputsGiveNoAngle() {
        for (auto [dx, dy] : {std::pair(kNaN, 1.0f), std::pair(1.0f, kNaN), std::pair(kInf, 0.0f),
                              std::pair(0.0f, -kInf)})
            QVERIFY(std::isnan(DialMath::PointerAngle(dx, dy)));
        QVERIFY(!DialMath::MovesDial(10, kNaN));
        QVERIFY(std::isnan(DialMath::WrappedFraction(kInf)));
    }

    void movesDialBeyondATenThousandth_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<float>("angle");
        QTest::addColumn<bool>("moves");
        QTest::newRow("same") << 45.0f << 45.0f << false;
        QTest::newRow("within") << 0.0f << 0.00005f << false;
        QTest::newRow("at the threshold") << 0.0f << 0.0001f << false;
        QTest::newRow("beyond") << 0.0f << 0.0002f << true;
        QTest::newRow("beyond, below") << 0.0f << -0.0002f << true;
        // The threshold is on the numbers, not on the circle.
        QTest::newRow("across the seam") << 180.0f << -179.9999f << true;
        QTest::newRow("-180 near a value just above it") << -179.99995f << -180.0f << false;
    }
    void movesDialBeyondATenThousandth() {
        QFETCH(float, value);
        QFETCH(float, angle);
        QFETCH(bool, moves);
        QCOMPARE(DialMath::MovesDial(value, angle), moves);
    }

    void valueText_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0f << QStringLiteral("0°");
        QTest::newRow("negative") << -90.0f << QStringLiteral("-90°");
        QTest::newRow("rounds") << 44.6f << QStringLiteral("45°");
        QTest::newRow("half to even, down") << 44.5f << QStringLiteral("44°");
        QTest::newRow("half to even, up") << 45.5f << QStringLiteral("46°");
        QTest::newRow("negative half") << -0.5f << QStringLiteral("0°");
        QTest::newRow("180") << 180.0f << QStringLiteral("180°");
    }
    void valueText() {
        QFETCH(float, value);
        QFETCH(QString, text);
        QCOMPARE(DialMath::ValueText(value), text);
    }
};

QTEST_APPLESS_MAIN(DialMathTest)
#include "tst_dialmath.moc"
