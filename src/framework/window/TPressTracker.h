#pragma once

#include <optional>
#include <utility>
#include <variant>

#include "framework/core/Types.h"

// A control's press of the left button, from the press to its release or to
// the loss of the pointer grab: whether one is going on, whether the pointer
// is still over what was pressed, and what the control remembered at the
// press (nothing by default). Calls from MouseDown, MouseMove, MouseUp and
// DoMouseCaptureLost answer what the control has to repaint or act on; what
// counts as inside, and what a release does, stay the control's.
template <class T = std::monostate>
class TPressTracker {
public:
    // A left press starts a press, with the pointer inside, remembering `at`;
    // other buttons change nothing. Answers whether it started one.
    bool Press(TMouseButton button, T at = {}) {
        if (button != TMouseButton::mbLeft) return false;
        at_ = std::move(at);
        inside_ = true;
        return true;
    }

    bool IsPressed() const { return at_.has_value(); }
    // Pressed with the pointer inside: when a pressed look shows.
    bool IsDown() const { return IsPressed() && inside_; }
    // What the press remembered; only while pressed.
    const T& At() const { return *at_; }

    // Notes whether the pointer is inside; answers whether IsDown changed.
    bool Move(bool inside) {
        if (!IsPressed() || inside == inside_) return false;
        inside_ = inside;
        return true;
    }

    // A left release ends the press. Answers what it remembered, or nothing
    // when no press ended; whether the release was a click (over what was
    // pressed) is the control's own hit test at the release point.
    std::optional<T> Release(TMouseButton button) {
        if (button != TMouseButton::mbLeft) return std::nullopt;
        return Cancel();
    }

    // Ends the press without a release (the grab was lost, or code took
    // over). Answers what it remembered, or nothing when none was going on.
    std::optional<T> Cancel() { return std::exchange(at_, std::nullopt); }

private:
    std::optional<T> at_;
    bool inside_ = false;
};
