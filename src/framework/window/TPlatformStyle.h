#pragma once

#include <QColor>
#include <QString>

// The colours of one of the built-in platform looks. The look is chosen once
// at start-up from the operating system's version.
struct TPlatformStyle {
    // A push button's face, its 1-pixel border (and focus line) and its text.
    struct TButtonState {
        QColor Face;
        QColor Border;
        QColor Ink;
    };
    // Hot: the pointer is over it; Pressed: held down with the pointer over it.
    struct TButtonColours {
        TButtonState Normal;
        TButtonState Hot;
        TButtonState Pressed;
        TButtonState Focused;
        TButtonState Disabled;
    };
    // The spin box's text field, frame, step arrows and text in one of its
    // states.
    struct TSpinBoxState {
        QColor Field;
        QColor Frame;
        QColor Arrow;
        QColor Text;
    };
    // The face of the step buttons changes only while one is held down.
    struct TSpinBoxColours {
        TSpinBoxState Normal;
        TSpinBoxState Hot;
        TSpinBoxState Focused;
        TSpinBoxState Disabled;
        QColor StepFace;
        QColor PressedStepFace;
    };
    // The on/off switch in one of its states: the outline of its track when
    // off, the fill when on, and its knob for each side.
    struct TSwitchState {
        QColor OffOutline;
        QColor OnFill;
        QColor OffKnob;
        QColor OnKnob;
    };
    // Split: the track shows its on picture left of the thumb's centre and
    // its off picture right of it, as the older Windows looks draw it; else
    // the whole track shows one picture, by the side the centre is on.
    struct TSwitchColours {
        TSwitchState Normal;
        TSwitchState Hot;
        TSwitchState Disabled;
        bool SplitTrack = false;
    };
    // The dial: its disc shaded from top to bottom, outlined in the bottom
    // shade, the dot that marks the value, and the value's text.
    struct TDialColours {
        QColor ShadeTop;
        QColor ShadeMiddle;
        QColor ShadeBottom;
        QColor Dot;
        QColor DotOutline;
        QColor Text;
    };

    // The thin bar a long load shows: its track and the part done.
    struct TProgressColours {
        QColor Track;
        QColor Bar;
    };

    QString Name;
    QColor WindowBackground;
    QColor StripFill;
    QColor StripOutline;
    TButtonColours Button;
    TSpinBoxColours SpinBox;
    TSwitchColours Switch;
    TDialColours Dial;
    TProgressColours Progress;

    // The look for a system version; systems without these looks get the
    // newest one.
    static const TPlatformStyle& ForWindowsVersion(int major, int minor);
    static const TPlatformStyle& ForThisSystem();
    static const TPlatformStyle& Current();
    static void Select(const TPlatformStyle& style);
};
