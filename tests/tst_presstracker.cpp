#include <QStringList>
#include <QTest>

#include "framework/window/TPressTracker.h"

namespace {

// Runs a gesture, step by step, and writes down what the tracker answered and
// where it stood after each step. Steps: "L<n>" a left press remembering n,
// "R" a right press, "in" and "out" pointer moves, "upL" and "upR" releases,
// "lost" the grab lost. Answers: "yes"/"no" for a press or a move (whether it
// started a press, whether the pressed look changed), the remembered number
// or "none" for a release or a lost grab. States: "idle", "down=<n>" (pressed,
// pointer inside), "out=<n>" (pressed, pointer outside).
QString Run(const QString& gesture) {
    TPressTracker<int> press;
    const auto yesNo = [](bool answer) { return QString(answer ? "yes" : "no"); };
    const auto ended = [](std::optional<int> at) {
        return at ? QString::number(*at) : QStringLiteral("none");
    };
    QStringList trace;
    for (const QString& step : gesture.split(' ')) {
        QString answer;
        if (step.startsWith('L'))
            answer = yesNo(press.Press(TMouseButton::mbLeft, step.mid(1).toInt()));
        else if (step == "R")
            answer = yesNo(press.Press(TMouseButton::mbRight, -1));
        else if (step == "in" || step == "out")
            answer = yesNo(press.Move(step == "in"));
        else if (step == "upL")
            answer = ended(press.Release(TMouseButton::mbLeft));
        else if (step == "upR")
            answer = ended(press.Release(TMouseButton::mbRight));
        else if (step == "lost")
            answer = ended(press.Cancel());
        else
            qFatal("unknown step %s", qPrintable(step));
        const QString state = !press.IsPressed() ? QStringLiteral("idle")
                              : press.IsDown()   ? QStringLiteral("down=%1").arg(press.At())
                                                 : QStringLiteral("out=%1").arg(press.At());
        trace << answer + ' ' + state;
    }
    return trace.join(", ");
}

}  // namespace

// The press that the button, the switch, the dial and the spin box follow,
// including the inputs real pointers rarely make: other buttons in the middle
// of a press, moves and releases with no press, a release after a lost grab.
class PressTrackerTest : public QObject {
    Q_OBJECT

private slots:
    void gestures_data() {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QString>("trace");
        QTest::newRow("click") << "L1 upL"
                               << "yes down=1, 1 idle";
        QTest::newRow("out and back in; only changes count")
            << "L1 out out in in upL"
            << "yes down=1, yes out=1, no out=1, yes down=1, no down=1, 1 idle";
        // Whether that was a click is the control's own hit test.
        QTest::newRow("released outside still ends it") << "L2 out upL"
                                                        << "yes down=2, yes out=2, 2 idle";
        QTest::newRow("other buttons neither start nor end a press")
            << "R upR L3 R upR upL"
            << "no idle, none idle, yes down=3, no down=3, none down=3, 3 idle";
        QTest::newRow("moves without a press change nothing") << "out in upL"
                                                              << "no idle, no idle, none idle";
        QTest::newRow("a new press starts inside, remembering anew")
            << "L1 out upL out L2"
            << "yes down=1, yes out=1, 1 idle, no idle, yes down=2";
        QTest::newRow("a lost grab ends it; the release then ends nothing")
            << "L4 out lost in upL"
            << "yes down=4, yes out=4, 4 idle, no idle, none idle";
        QTest::newRow("a lost grab with no press") << "lost"
                                                   << "none idle";
    }
    void gestures() {
        QFETCH(QString, gesture);
        QFETCH(QString, trace);
        QCOMPARE(Run(gesture), trace);
    }
};

QTEST_APPLESS_MAIN(PressTrackerTest)
#include "tst_presstracker.moc"
