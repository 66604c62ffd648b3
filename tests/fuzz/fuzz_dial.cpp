// The heading dial, turned 270 degrees as in the window, under any sequence
// of pointer input through the graphics scene (presses, movements and
// releases of any buttons at any points, NaN and infinities included, the
// wheel, a lost grab) and of writes of Value. Value stays within -180
// excluded to 180 included, and OnChange comes exactly as often as the
// rules say: once for each change, held back while a drag with Tracking off
// goes on, and once more at a release away from the value at the press.

#include <fuzzer/FuzzedDataProvider.h>
#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSceneWheelEvent>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "FuzzArguments.h"
#include "controls/dial/TArcDial.h"
#include "framework/window/TApplication.h"

namespace {

[[noreturn]] void fail(const char* what, float value) {
    std::fprintf(stderr, "fuzz_dial: %s (Value %.9g)\n", what, double(value));
    std::abort();
}

void require(bool holds, const char* what, float value) {
    if (!holds) fail(what, value);
}

// The dial with a witness on each way in: it knows what reached the dial,
// so it can tell how many OnChange each input must bring.
class WitnessedDial : public TArcDial {
public:
    explicit WitnessedDial(TComponent* owner) : TArcDial(owner) {
        OnChange = [this](TObject*) { ++changes_; };
    }

    void Write(float value) {
        const Before before = Take();
        SetValue(value);
        ChangeMayBeHeld(before);
    }

protected:
    void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override {
        const Before before = Take();
        TArcDial::MouseDown(button, shift, x, y);
        require(changes_ == before.changes && Value() == before.value, "a press moved the dial",
                Value());
        if (button != TMouseButton::mbLeft) return;
        pressed_ = true;
        heldBack_ = false;
        atPress_ = before.value;
    }
    void MouseMove(TShiftState shift, float x, float y) override {
        const Before before = Take();
        TArcDial::MouseMove(shift, x, y);
        if (!pressed_ || !(shift & ssLeft) || !std::isfinite(x) || !std::isfinite(y)) {
            require(changes_ == before.changes && Value() == before.value,
                    "a movement that may not turn the dial turned it", Value());
            return;
        }
        ChangeMayBeHeld(before);
    }
    void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override {
        const Before before = Take();
        TArcDial::MouseUp(button, shift, x, y);
        require(Value() == before.value, "a release moved the dial", Value());
        int expected = 0;
        if (button == TMouseButton::mbLeft && pressed_) {
            pressed_ = false;
            const bool away = Value() != atPress_;
            expected = (away ? 1 : 0) + (away && heldBack_ ? 1 : 0);
            heldBack_ = false;
        }
        require(changes_ - before.changes == expected, "wrong count of OnChange at a release",
                Value());
    }
    void DoMouseCaptureLost() override {
        const Before before = Take();
        TArcDial::DoMouseCaptureLost();
        require(changes_ == before.changes, "OnChange when the grab was lost", Value());
        // Changes that nobody heard of are taken back; the others stay.
        const float expected = pressed_ && heldBack_ ? atPress_ : before.value;
        require(Value() == expected, "wrong value after the grab was lost", Value());
        pressed_ = false;
        heldBack_ = false;
    }

private:
    struct Before {
        float value;
        int changes;
    };
    Before Take() const { return {Value(), changes_}; }

    void ChangeMayBeHeld(const Before& before) {
        const bool changed = Value() != before.value;
        const int raised = changes_ - before.changes;
        if (pressed_ && !Tracking()) {
            require(raised == 0, "OnChange during a drag with Tracking off", Value());
            heldBack_ = heldBack_ || changed;
        } else {
            require(raised == (changed ? 1 : 0), "OnChange not once per change", Value());
        }
    }

    int changes_ = 0;
    bool pressed_ = false;
    bool heldBack_ = false;
    float atPress_ = 0;
};

// A coordinate on and around the dial, or any float at all.
float coordinateFrom(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            return input.ConsumeFloatingPointInRange<float>(-40, 110);
        case 1:
            return float(input.ConsumeIntegralInRange<int>(-40, 110));
        case 2: {
            static const float kEdges[] = {std::nanf(""), INFINITY, -INFINITY, 0.0f,  -0.0f,
                                           1e-40f,        3.4e38f,  -3.4e38f,  32.0f, 28.5f};
            return kEdges[input.ConsumeIntegralInRange<size_t>(0, std::size(kEdges) - 1)];
        }
        default:
            return input.ConsumeFloatingPoint<float>();
    }
}

Qt::MouseButton buttonFrom(FuzzedDataProvider& input) {
    static const Qt::MouseButton kButtons[] = {Qt::LeftButton, Qt::LeftButton, Qt::RightButton,
                                               Qt::MiddleButton, Qt::BackButton};
    return kButtons[input.ConsumeIntegralInRange<size_t>(0, std::size(kButtons) - 1)];
}

void sendMouse(QGraphicsScene& scene, QEvent::Type type, Qt::MouseButton button,
               Qt::MouseButtons buttons, QPointF at) {
    QGraphicsSceneMouseEvent event(type);
    event.setScenePos(at);
    event.setScreenPos(QPoint(0, 0));
    event.setButton(button);
    event.setButtons(buttons);
    if (button != Qt::NoButton) event.setButtonDownScenePos(button, at);
    event.setModifiers(Qt::KeyboardModifiers(Qt::NoModifier));
    QApplication::sendEvent(&scene, &event);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    FuzzArguments::PrependDefaults(argc, argv, {"-timeout=10"});
    FuzzArguments::UseOffscreenPlatform();
    FuzzArguments::SilenceQt();
    static int qtArgc = 1;
    static char* qtArgv[] = {(*argv)[0], nullptr};
    static QApplication application(qtArgc, qtArgv);
    // Nothing the dial does may fail; a report would be a fault.
    Application->MessageBoxPresenter = [](const TMessageBoxRequest& request) {
        std::fprintf(stderr, "fuzz_dial: reported: %s\n", qPrintable(request.Text));
        std::abort();
    };
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    QGraphicsScene scene;
    auto* dial = new WitnessedDial(nullptr);
    scene.addItem(dial);
    dial->SetSize(64, 57);
    dial->SetRotationAngle(270);
    dial->SetTracking(input.ConsumeBool());
    if (input.ConsumeBool()) dial->SetFrequency(input.ConsumeFloatingPoint<float>());
    Qt::MouseButtons held;

    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange<int>(0, 7)) {
            case 0: {
                const Qt::MouseButton button = buttonFrom(input);
                held |= button;
                sendMouse(scene, QEvent::GraphicsSceneMousePress, button, held,
                          {coordinateFrom(input), coordinateFrom(input)});
                break;
            }
            case 1:
            case 2:
            case 3: {
                // Now and then the buttons held change without a press or
                // release reaching us, as when one happened outside the window.
                if (input.ConsumeIntegralInRange<int>(0, 15) == 0)
                    held = Qt::MouseButtons::fromInt(input.ConsumeIntegral<uint8_t>() & 0x1F);
                sendMouse(scene, QEvent::GraphicsSceneMouseMove, Qt::NoButton, held,
                          {coordinateFrom(input), coordinateFrom(input)});
                break;
            }
            case 4: {
                const Qt::MouseButton button = buttonFrom(input);
                held &= ~Qt::MouseButtons(button);
                sendMouse(scene, QEvent::GraphicsSceneMouseRelease, button, held,
                          {coordinateFrom(input), coordinateFrom(input)});
                break;
            }
            case 5: {
                QGraphicsSceneWheelEvent wheel(QEvent::GraphicsSceneWheel);
                wheel.setScenePos({coordinateFrom(input), coordinateFrom(input)});
                wheel.setDelta(input.ConsumeIntegralInRange<int>(-480, 480));
                wheel.setOrientation(Qt::Vertical);
                const float before = dial->Value();
                QApplication::sendEvent(&scene, &wheel);
                require(dial->Value() == before, "the wheel turned the dial", dial->Value());
                break;
            }
            case 6:  // a modal box takes the pointer away
                if (QGraphicsItem* grabber = scene.mouseGrabberItem()) grabber->ungrabMouse();
                break;
            case 7:
                dial->Write(coordinateFrom(input) * 10);
                break;
        }
        const float value = dial->Value();
        require(std::isfinite(value), "Value is not finite", value);
        require(value > -180.0f && value <= 180.0f, "Value outside -180 to 180", value);
    }
    delete dial;
    return 0;
}
