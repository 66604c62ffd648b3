#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsSceneHoverEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QScopeGuard>
#include <QTest>
#include <QVariantAnimation>
#include <QWheelEvent>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <vector>

#include "SharedWindow.h"
#include "controls/switch/SwitchMath.h"
#include "framework/window/TFormView.h"
#include "framework/window/TPlatformStyle.h"

namespace {

// Switch1: 78 x 57, so the thumb is 57 long and travels 21.
constexpr float kWidth = 78;
constexpr float kLength = 57;
constexpr float kTravel = 21;

const QColor kOffOutline(0x33, 0x33, 0x33);
const QColor kOnFill(0x00, 0x72, 0xD5);
const QColor kOffOutlineHot(Qt::black);
const QColor kOnFillHot(0x48, 0x9F, 0xE5);
const QColor kOffKnob(0x17, 0x17, 0x17);
const QColor kOnKnob(Qt::white);

// Records every notification and what the switch looked like inside it,
// while the window's own handler still runs.
class SwitchLog {
public:
    explicit SwitchLog(TSwitch* sw) : sw_(sw), handler_(sw->OnSwitch) {
        sw->OnSwitch = [this](TObject* sender) {
            QCOMPARE(sender, static_cast<TObject*>(sw_));
            states.push_back(sw_->IsChecked());
            slidingInside.push_back(sw_->IsSliding());
            if (handler_) handler_(sender);
        };
    }
    ~SwitchLog() { sw_->OnSwitch = handler_; }
    SwitchLog(const SwitchLog&) = delete;
    SwitchLog& operator=(const SwitchLog&) = delete;

    std::vector<bool> states;
    std::vector<bool> slidingInside;

private:
    TSwitch* sw_;
    TNotifyEvent handler_;
};

QPoint inWindow(const TSwitch* sw, QPoint local) {
    return sw->LocalToAbsolute(QPointF(local)).toPoint();
}

QPointingDevice* touchScreen() {
    static QPointingDevice* device =
        QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen);
    return device;
}

// Presses at the first point, moves through the middle ones and releases at
// the last, all in the switch's own coordinates.
void gesture(TestWindow& w, const QList<QPoint>& path, bool touch = false) {
    const TSwitch* sw = w.form().Switch1;
    if (touch) {
        QTest::touchEvent(w.viewport(), touchScreen()).press(0, inWindow(sw, path.first()));
        for (qsizetype i = 1; i + 1 < path.size(); ++i)
            QTest::touchEvent(w.viewport(), touchScreen()).move(0, inWindow(sw, path[i]));
        QTest::touchEvent(w.viewport(), touchScreen()).release(0, inWindow(sw, path.last()));
        return;
    }
    w.press(inWindow(sw, path.first()));
    for (qsizetype i = 1; i + 1 < path.size(); ++i) w.move(inWindow(sw, path[i]));
    w.release(inWindow(sw, path.last()));
}

void clickSwitch(TestWindow& w) {
    gesture(w, {QPoint(30, 28), QPoint(30, 28)});
}

QVariantAnimation* slideOf(TSwitch* sw) {
    const auto slides = sw->findChildren<QVariantAnimation*>();
    return slides.size() == 1 ? slides.first() : nullptr;
}

// Holds the running slide at a moment of its own time.
void slideTo(TSwitch* sw, int ms) {
    QVariantAnimation* slide = slideOf(sw);
    QVERIFY(slide);
    if (slide->state() == QAbstractAnimation::Running) slide->pause();
    slide->setCurrentTime(ms);
}

QImage render(TSwitch* sw, double scale = 1) {
    QImage image(int(std::ceil(sw->Width() * scale)), int(std::ceil(sw->Height() * scale)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    sw->paint(&painter, nullptr, nullptr);
    return image;
}

QColor pixel(const QImage& image, double x, double y) {
    const double scale = image.devicePixelRatio();
    return image.pixelColor(int(x * scale), int(y * scale));
}

// The knob's colour at the thumb's centre, and the track just inside its
// outline, where the knob never reaches.
QColor knobColour(const QImage& image, const TSwitch* sw) {
    return pixel(image, sw->ThumbLeft() + kLength / 2, 28.5);
}
bool trackShowsOn(const QImage& image) {
    return pixel(image, 3.5, 28.5) != QColor(Qt::transparent);
}

}  // namespace

// The run/stop switch: which gestures change it, when it says so, how its
// thumb moves and what it looks like.
class SwitchTest : public QObject {
    Q_OBJECT

    // The rows of a long table share one window and start from a switch at
    // rest.
    SharedWindow shared_;

    TestWindow& sharedWindow(bool on) {
        TestWindow& w = shared_.For(QTest::currentTestFunction());
        TSwitch* sw = w.form().Switch1;
        // A write from code ends any gesture or slide.
        sw->SetIsChecked(!on);
        sw->SetIsChecked(on);
        if (sw->IsMouseOver()) {
            QGraphicsSceneHoverEvent leave(QEvent::GraphicsSceneHoverLeave);
            sw->scene()->sendEvent(sw, &leave);
        }
        return w;
    }

private slots:
    void init() { shared_.KeepOnlyFor(QTest::currentTestFunction()); }
    void cleanupTestCase() { shared_.Close(); }

    // The rule on its own, with the half-pixel drags that real input can't
    // make. A press on the off thumb at 10 grabs it 10 from its edge; on the
    // on thumb at 40, 19 from its edge.
    void decision_data() {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("dragged");
        QTest::addColumn<float>("pressX");
        QTest::addColumn<float>("delta");
        QTest::addColumn<bool>("on");
        QTest::newRow("click on off") << false << false << 10.0f << 0.0f << true;
        QTest::newRow("click on on") << true << false << 40.0f << 0.0f << false;
        QTest::newRow("click moved off (no drag)") << false << false << 10.0f << 30.0f << true;
        const float drags[] = {-11, -10.5f, -10, 0, 10, 10.5f, 11};
        for (const float d : drags) {
            QTest::addRow("off, drag %g", d) << false << true << 10.0f << d << (d >= 10.5f);
            QTest::addRow("on, drag %g", d) << true << true << 40.0f << d << (d >= -10.5f);
        }
        // Pressed on the track beside the thumb: the grab lies beyond it.
        QTest::newRow("off, beside the thumb, drag 10") << false << true << 70.0f << 10.0f << false;
        QTest::newRow("off, beside the thumb, drag 11") << false << true << 70.0f << 11.0f << true;
        QTest::newRow("off, far right of the box") << false << true << 10.0f << 500.0f << true;
        QTest::newRow("on, far left of the box") << true << true << 40.0f << -500.0f << false;
    }
    void decision() {
        QFETCH(bool, checked);
        QFETCH(bool, dragged);
        QFETCH(float, pressX);
        QFETCH(float, delta);
        QFETCH(bool, on);
        const float grab = pressX - (checked ? kTravel : 0);
        QCOMPARE(
            SwitchMath::StateAtRelease(checked, dragged, pressX + delta, grab, kLength, kWidth),
            on);
    }

    void movementRule_data() {
        QTest::addColumn<bool>("touch");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<bool>("counts");
        // From (30, 28).
        QTest::newRow("mouse, one pixel") << false << QPointF(31, 28) << true;
        QTest::newRow("mouse, only down") << false << QPointF(30, 29) << true;
        QTest::newRow("mouse, same place") << false << QPointF(30, 28) << false;
        QTest::newRow("touch, 2 right") << true << QPointF(32, 28) << false;
        QTest::newRow("touch, 2.9 left") << true << QPointF(27.1, 28) << false;
        QTest::newRow("touch, 3 right") << true << QPointF(33, 28) << true;
        QTest::newRow("touch, 3 left") << true << QPointF(27, 28) << true;
        QTest::newRow("touch, far down") << true << QPointF(31, 60) << false;
    }
    void movementRule() {
        QFETCH(bool, touch);
        QFETCH(QPointF, to);
        QFETCH(bool, counts);
        QCOMPARE(SwitchMath::CountsAsMovement(touch, float(to.x()), float(to.y()), 30, 28), counts);
    }

    void slideTiming_data() {
        QTest::addColumn<float>("distance");
        QTest::addColumn<float>("travel");
        QTest::addColumn<int>("ms");
        QTest::newRow("full traverse right") << 21.0f << 21.0f << 200;
        QTest::newRow("full traverse left") << -21.0f << 21.0f << 200;
        QTest::newRow("half way") << 10.5f << 21.0f << 100;
        QTest::newRow("dropped 3 from the end") << 3.0f << 21.0f << 29;
        QTest::newRow("already there") << 0.0f << 21.0f << 0;
        QTest::newRow("longer box") << 100.0f << 200.0f << 100;
        QTest::newRow("no travel") << 0.0f << 0.0f << 200;
        QTest::newRow("taller than wide") << 5.0f << -5.0f << 200;
    }
    void slideTiming() {
        QFETCH(float, distance);
        QFETCH(float, travel);
        QFETCH(int, ms);
        QCOMPARE(SwitchMath::SlideMilliseconds(distance, travel), ms);
    }

    void thumbPlace() {
        QCOMPARE(SwitchMath::HoldInside(-5, kLength, kWidth), 0.0f);
        QCOMPARE(SwitchMath::HoldInside(7.5f, kLength, kWidth), 7.5f);
        QCOMPARE(SwitchMath::HoldInside(40, kLength, kWidth), kTravel);
        // The track turns when the thumb's centre reaches the middle.
        QVERIFY(!SwitchMath::TrackShowsOn(10.49f, kLength, kWidth));
        QVERIFY(SwitchMath::TrackShowsOn(10.5f, kLength, kWidth));
    }

    // Real input through the window, so whole pixels only. Points are in the
    // switch's own coordinates: press, moves, release.
    void gestures_data() {
        QTest::addColumn<bool>("startOn");
        QTest::addColumn<QList<QPoint>>("path");
        QTest::addColumn<bool>("touch");
        QTest::addColumn<bool>("endOn");
        using P = QPoint;
        QTest::newRow("click off") << false << QList<P>{{30, 28}, {30, 28}} << false << true;
        QTest::newRow("click on") << true << QList<P>{{30, 28}, {30, 28}} << false << false;
        QTest::newRow("click off beside the thumb")
            << false << QList<P>{{70, 10}, {70, 10}} << false << true;
        QTest::newRow("click on beside the thumb")
            << true << QList<P>{{5, 50}, {5, 50}} << false << false;
        const int drags[] = {-11, -10, 0, 10, 11};
        for (const int d : drags) {
            // Out and back for the zero drag, so there is movement.
            const QList<P> fromOff{{20, 28}, {20 + d + 4, 28}, {20 + d, 28}};
            const QList<P> fromOn{{50, 28}, {50 + d - 4, 28}, {50 + d, 28}};
            QTest::addRow("off, drag %d", d) << false << fromOff << false << (d >= 11);
            QTest::addRow("on, drag %d", d) << true << fromOn << false << (d >= -10);
        }
        QTest::newRow("off, mouse moved one pixel")
            << false << QList<P>{{30, 28}, {31, 28}, {31, 28}} << false << false;
        QTest::newRow("off, mouse moved only down")
            << false << QList<P>{{30, 28}, {30, 40}, {30, 28}} << false << false;
        QTest::newRow("off, released without a move")
            << false << QList<P>{{30, 28}, {60, 28}} << false << true;
        // The thumb is held at its end but the release point decides.
        QTest::newRow("on, far left, released 11 left of the press")
            << true << QList<P>{{60, 28}, {-462, 28}, {49, 28}} << false << false;
        QTest::newRow("on, far left, released 10 left of the press")
            << true << QList<P>{{60, 28}, {-462, 28}, {50, 28}} << false << true;
        QTest::newRow("on, released far below the box")
            << true << QList<P>{{60, 28}, {60, 300}, {60, 300}} << false << true;
        QTest::newRow("touch, click off") << false << QList<P>{{30, 28}, {30, 28}} << true << true;
        QTest::newRow("touch, 2 pixels is a click")
            << false << QList<P>{{30, 28}, {32, 28}, {32, 28}} << true << true;
        QTest::newRow("touch, 2 pixels on on is a click")
            << true << QList<P>{{30, 28}, {28, 28}, {28, 28}} << true << false;
        QTest::newRow("touch, 3 pixels is a drag")
            << false << QList<P>{{30, 28}, {33, 28}, {33, 28}} << true << false;
        QTest::newRow("touch, only down is a click")
            << false << QList<P>{{30, 10}, {31, 50}, {31, 50}} << true << true;
        QTest::newRow("touch, drag 12")
            << false << QList<P>{{30, 28}, {42, 28}, {42, 28}} << true << true;
    }
    void gestures() {
        QFETCH(bool, startOn);
        QFETCH(QList<QPoint>, path);
        QFETCH(bool, touch);
        QFETCH(bool, endOn);
        TestWindow& w = sharedWindow(startOn);
        TForm1& f = w.form();
        SwitchLog log(f.Switch1);
        gesture(w, path, touch);
        QCOMPARE(f.Switch1->IsChecked(), endOn);
        QCOMPARE(f.Timer1->Enabled(), endOn);
        const std::vector<bool> expected =
            endOn == startOn ? std::vector<bool>{} : std::vector<bool>{endOn};
        QCOMPARE(log.states, expected);
        QVERIFY(w.boxes.empty());
    }

    void touchIsToldApart() {
        TestWindow w;
        TForm1& f = w.form();
        TShiftState seen;
        f.Switch1->OnMouseDown = [&](TObject*, TMouseButton, TShiftState s, float, float) {
            seen = s;
        };
        gesture(w, {QPoint(30, 28), QPoint(30, 28)}, true);
        QVERIFY(seen.testFlag(ssTouch));
        clickSwitch(w);
        QVERIFY(!seen.testFlag(ssTouch));
    }

    void dragThumbFollowsThePointerInsideTheBox() {
        TestWindow w;
        TSwitch* sw = w.form().Switch1;
        w.press(inWindow(sw, {20, 28}));
        QCOMPARE(sw->ThumbLeft(), 0.0f);
        w.move(inWindow(sw, {27, 28}));
        QCOMPARE(sw->ThumbLeft(), 7.0f);
        w.move(inWindow(sw, {200, 28}));
        QCOMPARE(sw->ThumbLeft(), kTravel);
        // Back from beyond the box the thumb is under the pointer again, not
        // short of it by the way it went too far.
        w.move(inWindow(sw, {-300, 28}));
        QCOMPARE(sw->ThumbLeft(), 0.0f);
        w.move(inWindow(sw, {29, 28}));
        QCOMPARE(sw->ThumbLeft(), 9.0f);
        QVERIFY(!trackShowsOn(render(sw)));
        w.move(inWindow(sw, {31, 28}));
        QVERIFY(trackShowsOn(render(sw)));
        // Nothing is decided before the release.
        QVERIFY(!sw->IsChecked());
        w.release(inWindow(sw, {31, 28}));
        QVERIFY(sw->IsChecked());
    }

    void clickSlidesTheThumb() {
        TestWindow w;
        TForm1& f = w.form();
        TSwitch* sw = f.Switch1;
        f.ArcDial1->SetValue(-90);
        SwitchLog log(sw);
        clickSwitch(w);
        QCOMPARE(log.states, std::vector<bool>{true});
        QCOMPARE(log.slidingInside, std::vector<bool>{false});
        QVERIFY(f.Timer1->Enabled());
        QCOMPARE(u, 90.0);

        QVariantAnimation* slide = slideOf(sw);
        QVERIFY(slide);
        QVERIFY(sw->IsSliding());
        QCOMPARE(slide->duration(), 200);
        slideTo(sw, 0);
        QCOMPARE(sw->ThumbLeft(), 0.0f);
        QImage image = render(sw);
        QCOMPARE(knobColour(image, sw), kOnKnob);  // white at once, still at the left
        QVERIFY(!trackShowsOn(image));
        slideTo(sw, 90);
        QCOMPARE(sw->ThumbLeft(), 9.45f);
        QVERIFY(!trackShowsOn(render(sw)));
        slideTo(sw, 100);
        QCOMPARE(sw->ThumbLeft(), 10.5f);
        image = render(sw);
        QVERIFY(trackShowsOn(image));
        QCOMPARE(knobColour(image, sw), kOnKnob);
        slideTo(sw, 200);
        QVERIFY(!sw->IsSliding());
        QCOMPARE(sw->ThumbLeft(), kTravel);

        // And back: the knob turns dark at once.
        clickSwitch(w);
        QCOMPARE(log.states, (std::vector<bool>{true, false}));
        QVERIFY(!f.Timer1->Enabled());
        slideTo(sw, 50);
        QCOMPARE(sw->ThumbLeft(), 15.75f);
        image = render(sw);
        QCOMPARE(knobColour(image, sw), kOffKnob);
        QVERIFY(trackShowsOn(image));
        slideTo(sw, 200);
        QCOMPARE(sw->ThumbLeft(), 0.0f);
        QVERIFY(!trackShowsOn(render(sw)));
    }

    void slideAfterADrag_data() {
        QTest::addColumn<bool>("startOn");
        QTest::addColumn<int>("delta");
        QTest::addColumn<bool>("endOn");
        QTest::addColumn<float>("from");
        QTest::addColumn<int>("ms");
        QTest::newRow("dropped 3 short of on") << false << 18 << true << 18.0f << 29;
        QTest::newRow("dropped on its own side slides back") << false << 8 << false << 8.0f << 76;
        QTest::newRow("on dragged 15 left") << true << -15 << false << 6.0f << 57;
        QTest::newRow("on dragged 2 left slides back") << true << -2 << true << 19.0f << 19;
    }
    void slideAfterADrag() {
        QFETCH(bool, startOn);
        QFETCH(int, delta);
        QFETCH(bool, endOn);
        QFETCH(float, from);
        QFETCH(int, ms);
        TestWindow w;
        TSwitch* sw = w.form().Switch1;
        sw->SetIsChecked(startOn);
        SwitchLog log(sw);
        gesture(w, {QPoint(30, 28), QPoint(30 + delta, 28), QPoint(30 + delta, 28)});
        QCOMPARE(sw->IsChecked(), endOn);
        QCOMPARE(log.states.size(), size_t(endOn != startOn));
        QVariantAnimation* slide = slideOf(sw);
        QVERIFY(slide && sw->IsSliding());
        QCOMPARE(slide->duration(), ms);
        QCOMPARE(slide->startValue().toFloat(), from);
        QCOMPARE(slide->endValue().toFloat(), endOn ? kTravel : 0.0f);
        QCOMPARE(sw->ThumbLeft(), from);
        slideTo(sw, ms);
        QVERIFY(!sw->IsSliding());
        QCOMPARE(sw->ThumbLeft(), endOn ? kTravel : 0.0f);
    }

    void dragHeldAtTheEndNeedsNoSlide() {
        TestWindow w;
        TSwitch* sw = w.form().Switch1;
        gesture(w, {QPoint(30, 28), QPoint(200, 28), QPoint(200, 28)});
        QVERIFY(sw->IsChecked());
        QVERIFY(!sw->IsSliding());
        QCOMPARE(sw->ThumbLeft(), kTravel);
    }

    void newSlideReplacesARunningOne() {
        TestWindow w;
        TSwitch* sw = w.form().Switch1;
        SwitchLog log(sw);
        clickSwitch(w);
        slideTo(sw, 100);
        // A press puts the thumb at the end of the current state.
        w.press(inWindow(sw, {30, 28}));
        QVERIFY(!sw->IsSliding());
        QCOMPARE(sw->ThumbLeft(), kTravel);
        w.release(inWindow(sw, {30, 28}));
        QCOMPARE(log.states, (std::vector<bool>{true, false}));
        QCOMPARE(log.slidingInside, (std::vector<bool>{false, false}));
        QVariantAnimation* slide = slideOf(sw);
        QVERIFY(slide && sw->IsSliding());
        QCOMPARE(slide->duration(), 200);
        QCOMPARE(slide->startValue().toFloat(), kTravel);
        QCOMPARE(slide->endValue().toFloat(), 0.0f);
    }

    // Qt sends the second press of a double click only as a double click;
    // the switch must still hear it as a press.
    void doubleClickTogglesTwice_data() {
        QTest::addColumn<QString>("input");
        QTest::newRow("press, then double click") << QStringLiteral("sequence");
        QTest::newRow("mouse through the platform") << QStringLiteral("mouse");
        QTest::newRow("double tap") << QStringLiteral("touch");
    }
    void doubleClickTogglesTwice() {
        QFETCH(QString, input);
        TestWindow w;
        TSwitch* sw = w.form().Switch1;
        SwitchLog log(sw);
        const QPoint at = inWindow(sw, {30, 28});
        if (input == QLatin1String("sequence")) {
            w.doubleClick(at);
        } else if (input == QLatin1String("mouse")) {
            QTest::mouseDClick(w.form().View()->windowHandle(), Qt::LeftButton, {}, at);
        } else {
            for (int tap = 0; tap < 2; ++tap) {
                QTest::touchEvent(w.viewport(), touchScreen()).press(0, at);
                QTest::touchEvent(w.viewport(), touchScreen()).release(0, at);
            }
        }
        QCOMPARE(log.states, (std::vector<bool>{true, false}));
        QVERIFY(!w.form().Timer1->Enabled());
    }

    void noSlideWhereItIsNotShowing() {
        TestWindow w;
        TSwitch* sw = w.form().Switch1;
        const TNotifyEvent handler = sw->OnSwitch;
        sw->OnSwitch = [&](TObject* s) {
            handler(s);
            sw->SetVisible(false);
        };
        clickSwitch(w);
        QVERIFY(sw->IsChecked());
        QVERIFY(!sw->IsSliding());
        QCOMPARE(sw->ThumbLeft(), kTravel);
    }

    void failingHandlerStillSendsTheThumbHome() {
        TestWindow w;
        TSwitch* sw = w.form().Switch1;
        sw->OnSwitch = [](TObject*) { throw std::runtime_error("handler failed"); };
        gesture(w, {QPoint(30, 28), QPoint(45, 28), QPoint(45, 28)});
        QCOMPARE(w.boxes.size(), size_t(1));
        QVERIFY(sw->IsChecked());
        QVERIFY(sw->IsSliding());
        slideTo(sw, 200);
        QCOMPARE(sw->ThumbLeft(), kTravel);
        // The gesture is over: the next click is a click again.
        sw->OnSwitch = nullptr;
        clickSwitch(w);
        QVERIFY(!sw->IsChecked());
    }

    void lostGrabDecidesNothing() {
        TestWindow w;
        TSwitch* sw = w.form().Switch1;
        SwitchLog log(sw);
        w.press(inWindow(sw, {30, 28}));
        w.move(inWindow(sw, {45, 28}));
        QCOMPARE(sw->ThumbLeft(), 15.0f);
        sw->ungrabMouse();  // as when a modal box opens mid-drag
        QVERIFY(!sw->IsChecked());
        QVERIFY(log.states.empty());
        QVERIFY(sw->IsSliding());
        QCOMPARE(slideOf(sw)->endValue().toFloat(), 0.0f);
        w.release(inWindow(sw, {45, 28}));
        QVERIFY(!sw->IsChecked());
        QVERIFY(log.states.empty());
    }

    void writesFromCode() {
        TestWindow w;
        TForm1& f = w.form();
        TSwitch* sw = f.Switch1;
        SwitchLog log(sw);
        sw->SetIsChecked(false);
        QVERIFY(log.states.empty());
        sw->SetIsChecked(true);
        QCOMPARE(log.states, std::vector<bool>{true});
        QVERIFY(f.Timer1->Enabled());
        QVERIFY(!sw->IsSliding());
        QCOMPARE(sw->ThumbLeft(), kTravel);
        sw->SetIsChecked(true);
        QCOMPARE(log.states.size(), size_t(1));

        // Over a running slide: the thumb goes to the new end at once.
        clickSwitch(w);
        QVERIFY(sw->IsSliding());
        sw->SetIsChecked(true);
        QCOMPARE(log.states, (std::vector<bool>{true, false, true}));
        QVERIFY(!sw->IsSliding());
        QCOMPARE(sw->ThumbLeft(), kTravel);

        // Over a drag: code wins and the release is left with nothing to do.
        w.press(inWindow(sw, {50, 28}));
        w.move(inWindow(sw, {30, 28}));
        sw->SetIsChecked(false);
        QCOMPARE(sw->ThumbLeft(), 0.0f);
        w.release(inWindow(sw, {30, 28}));
        QCOMPARE(log.states, (std::vector<bool>{true, false, true, false}));
        QVERIFY(!sw->IsChecked());
        QVERIFY(!f.Timer1->Enabled());
    }

    void pressTakesTheFocus_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("toggles");
        QTest::newRow("left") << int(Qt::LeftButton) << true;
        QTest::newRow("right") << int(Qt::RightButton) << false;
        QTest::newRow("middle") << int(Qt::MiddleButton) << false;
    }
    void pressTakesTheFocus() {
        QFETCH(int, button);
        QFETCH(bool, toggles);
        TestWindow& w = sharedWindow(false);
        TForm1& f = w.form();
        f.SpinBox2->SetFocus();
        QVERIFY(f.SpinBox2->IsFocused());
        const QPoint at = inWindow(f.Switch1, {30, 28});
        w.press(at, Qt::MouseButton(button));
        QVERIFY(f.Switch1->IsFocused());
        QVERIFY(!f.SpinBox2->IsFocused());
        QVERIFY(!f.Switch1->IsChecked());
        w.release(at, Qt::MouseButton(button));
        QCOMPARE(f.Switch1->IsChecked(), toggles);
    }

    void keysAndWheelChangeNothing_data() {
        QTest::addColumn<bool>("on");
        const bool states[] = {false, true};
        for (const bool on : states) {
            QTest::addRow("%s", on ? "on" : "off") << on;
        }
    }
    void keysAndWheelChangeNothing() {
        QFETCH(bool, on);
        TestWindow& w = sharedWindow(on);
        TSwitch* sw = w.form().Switch1;
        SwitchLog log(sw);
        sw->SetFocus();
        QVERIFY(sw->IsFocused());
        const Qt::Key keys[] = {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Left,
                                Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down,  Qt::Key_Home,
                                Qt::Key_End,   Qt::Key_PageUp, Qt::Key_Minus, Qt::Key_Plus};
        for (const Qt::Key key : keys) {
            w.key(key);
            w.key(key, Qt::ControlModifier);
        }
        const QPointF at = inWindow(sw, {30, 28});
        for (const int delta : {120, -120}) {
            QWheelEvent wheel(at, w.viewport()->mapToGlobal(at), {}, {0, delta}, Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(w.viewport(), &wheel);
        }
        QCOMPARE(sw->IsChecked(), on);
        QVERIFY(log.states.empty());
        QVERIFY(!sw->IsSliding());
        QVERIFY(sw->IsFocused());
    }

    // Colours in the middle of the box: the outline, the track just inside
    // it, and the knob's centre.
    void look_data() {
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("over");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QColor>("outline");
        QTest::addColumn<QColor>("inside");
        QTest::addColumn<QColor>("knob");
        const QColor none(Qt::transparent);
        const QColor grey(0xCC, 0xCC, 0xCC);
        QTest::newRow("off") << false << false << true << kOffOutline << none << kOffKnob;
        QTest::newRow("off, pointer over")
            << false << true << true << kOffOutlineHot << none << kOffKnob;
        QTest::newRow("on") << true << false << true << kOnFill << kOnFill << kOnKnob;
        QTest::newRow("on, pointer over")
            << true << true << true << kOnFillHot << kOnFillHot << kOnKnob;
        // Greyed like the window's other disabled controls; the knob still
        // tells the state.
        QTest::newRow("off, disabled") << false << false << false << grey << none << grey;
        QTest::newRow("on, disabled")
            << true << false << false << grey << grey << QColor(0xA0, 0xA0, 0xA0);
    }
    void look() {
        QFETCH(bool, on);
        QFETCH(bool, over);
        QFETCH(bool, enabled);
        QFETCH(QColor, outline);
        QFETCH(QColor, inside);
        QFETCH(QColor, knob);
        TSwitch* sw = sharedWindow(on).form().Switch1;
        if (over) {
            QGraphicsSceneHoverEvent enter(QEvent::GraphicsSceneHoverEnter);
            enter.setPos(QPointF(30, 28));
            sw->scene()->sendEvent(sw, &enter);
            QVERIFY(sw->IsMouseOver());
        }
        sw->SetEnabled(enabled);
        const QImage image = render(sw);
        sw->SetEnabled(true);
        QCOMPARE(pixel(image, 0.5, 28.5), outline);
        QCOMPARE(pixel(image, 1.5, 28.5), outline);
        QCOMPARE(pixel(image, 3.5, 28.5), inside);
        QCOMPARE(pixel(image, kWidth - 3.5, 28.5), inside);
        QCOMPARE(knobColour(image, sw), knob);
        // The knob keeps a 5-pixel margin all round.
        const float knobLeft = sw->ThumbLeft() + 5;
        QCOMPARE(pixel(image, knobLeft + 0.5, 28.5), knob);
        QCOMPARE(pixel(image, knobLeft - 0.5, 28.5), inside);
        QCOMPARE(pixel(image, knobLeft + 23.5, 5.5), knob);
        QCOMPARE(pixel(image, knobLeft + 23.5, 4.5), inside);
        QCOMPARE(pixel(image, knobLeft + 23.5, kLength - 5.5), knob);
        QCOMPARE(pixel(image, knobLeft + 23.5, kLength - 4.5), inside);
    }

    // Mid-slide, the looks of Windows 7 and 8 split the track at the thumb's
    // centre: on behind it, off ahead of it. The newest look shows the whole
    // track by the side of the middle the centre is on.
    void trackAroundTheThumb_data() {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("slideMs");
        QTest::addColumn<bool>("split");
        QTest::addColumn<bool>("pastTheMiddle");
        const struct {
            const char* name;
            int major, minor;
            bool split;
        } looks[] = {
            {"win10style", 10, 0, false}, {"win8style", 6, 3, true}, {"win7style", 6, 1, true}};
        for (const auto& look : looks) {
            QTest::addRow("%s, a quarter of the way", look.name)
                << look.major << look.minor << 50 << look.split << false;
            QTest::addRow("%s, three quarters of the way", look.name)
                << look.major << look.minor << 150 << look.split << true;
        }
    }
    void trackAroundTheThumb() {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, slideMs);
        QFETCH(bool, split);
        QFETCH(bool, pastTheMiddle);
        const TPlatformStyle& previous = TPlatformStyle::Current();
        TPlatformStyle::Select(TPlatformStyle::ForWindowsVersion(major, minor));
        const auto restore = qScopeGuard([&] { TPlatformStyle::Select(previous); });
        TestWindow& w = sharedWindow(false);
        TSwitch* sw = w.form().Switch1;
        clickSwitch(w);
        slideTo(sw, slideMs);
        QGraphicsSceneHoverEvent leave(QEvent::GraphicsSceneHoverLeave);
        sw->scene()->sendEvent(sw, &leave);
        const QImage image = render(sw);

        const QColor on = kOnFill, off(Qt::transparent);
        const QColor behind = split || pastTheMiddle ? on : off;
        const QColor ahead = split ? off : behind;
        const double centre = sw->ThumbLeft() + kLength / 2;
        // Beside the knob at both ends, and above it on either side of the
        // thumb's centre.
        QCOMPARE(pixel(image, 3.5, 28.5), behind);
        QCOMPARE(pixel(image, kWidth - 3.5, 28.5), ahead);
        QCOMPARE(pixel(image, centre - 1.5, 2.5), behind);
        QCOMPARE(pixel(image, centre + 1.5, 2.5), ahead);
        if (ahead == off) QCOMPARE(pixel(image, kWidth - 0.5, 28.5), kOffOutline);
    }

    // Straight edges land on whole device pixels, so the middle row and the
    // middle column hold only the look's own colours, no blends.
    void crispAtDisplayScales_data() {
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("slideMs");
        const double scales[] = {1, 1.5, 2};
        for (const double scale : scales) {
            QTest::addRow("x%g, off", scale) << scale << -1;
            QTest::addRow("x%g, on", scale) << scale << 200;
            QTest::addRow("x%g, mid-slide", scale) << scale << 100;
            QTest::addRow("x%g, just off the end", scale) << scale << 33;
        }
    }
    void crispAtDisplayScales() {
        QFETCH(double, scale);
        QFETCH(int, slideMs);
        TestWindow& w = sharedWindow(false);
        TSwitch* sw = w.form().Switch1;
        if (slideMs >= 0) {
            clickSwitch(w);
            slideTo(sw, slideMs);
        }
        const QImage image = render(sw, scale);
        // The click leaves the pointer over the switch.
        const QList<QColor> allowed{QColor(Qt::transparent),
                                    kOffOutline,
                                    kOffOutlineHot,
                                    kOnFill,
                                    kOnFillHot,
                                    kOffKnob,
                                    kOnKnob};
        const int midRow = int(28.5 * scale), midColumn = int(kWidth / 2 * scale);
        for (int x = 0; x < image.width(); ++x)
            QVERIFY2(allowed.contains(image.pixelColor(x, midRow)),
                     qPrintable(QStringLiteral("x %1: %2")
                                    .arg(x)
                                    .arg(image.pixelColor(x, midRow).name(QColor::HexArgb))));
        for (int y = 0; y < image.height(); ++y)
            QVERIFY2(allowed.contains(image.pixelColor(midColumn, y)),
                     qPrintable(QStringLiteral("y %1: %2")
                                    .arg(y)
                                    .arg(image.pixelColor(midColumn, y).name(QColor::HexArgb))));
        // The off outline is a whole number of device pixels thick.
        if (slideMs < 0) {
            const int thick = int(std::round(2 * scale));
            QCOMPARE(image.pixelColor(thick - 1, midRow), kOffOutline);
            QCOMPARE(image.pixelColor(thick, midRow), QColor(Qt::transparent));
        }
    }
};

QTEST_MAIN(SwitchTest)
#include "tst_switch.moc"
