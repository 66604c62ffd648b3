#include "TPlatformStyle.h"

#include <QOperatingSystemVersion>

namespace {

// A neutral grey, from black (0) to white (0xFF).
QColor Grey(int level) {
    return QColor(level, level, level);
}

// The controls' colours, the same in the three looks; only the switch's
// track is drawn differently by the older two.
const TPlatformStyle::TButtonColours kButton{
    .Normal = {Grey(0xE1), Grey(0xAD), Grey(0x00)},
    .Hot = {QColor(0xE5, 0xF1, 0xFB), QColor(0x00, 0x78, 0xD7), Grey(0x00)},
    .Pressed = {QColor(0xCC, 0xE4, 0xF7), QColor(0x00, 0x54, 0x99), Grey(0x00)},
    .Focused = {Grey(0xE1), QColor(0x00, 0x78, 0xD7), Grey(0x00)},
    .Disabled = {Grey(0xCC), Grey(0xBF), Grey(0x83)},
};
const TPlatformStyle::TSpinBoxColours kSpinBox{
    .Normal = {Grey(0xFF), Grey(0x7A), Grey(0x60), Grey(0x00)},
    .Hot = {Grey(0xFF), Grey(0x17), Grey(0x60), Grey(0x00)},
    .Focused = {Grey(0xFF), QColor(0x00, 0x78, 0xD7), Grey(0x60), Grey(0x00)},
    .Disabled = {Grey(0xF0), Grey(0xCC), Grey(0xA8), Grey(0x83)},
    .StepFace = Grey(0xE8),
    .PressedStepFace = QColor(0xCC, 0xE4, 0xF7),
};
const TPlatformStyle::TSwitchColours kSwitch{
    .Normal = {Grey(0x33), QColor(0x00, 0x72, 0xD5), Grey(0x17), Grey(0xFF)},
    .Hot = {Grey(0x00), QColor(0x48, 0x9F, 0xE5), Grey(0x17), Grey(0xFF)},
    .Disabled = {Grey(0xCC), Grey(0xCC), Grey(0xCC), Grey(0xA0)},
};
const TPlatformStyle::TDialColours kDial{
    .ShadeTop = Grey(0xFF),
    .ShadeMiddle = Grey(0xF0),
    .ShadeBottom = Grey(0xD4),
    .Dot = Grey(0x00),
    .DotOutline = Grey(0xCC),
    .Text = Grey(0x00),
};

// The older looks' switch: the same colours on a track split at the thumb.
TPlatformStyle::TSwitchColours SplitTrack(TPlatformStyle::TSwitchColours colours) {
    colours.SplitTrack = true;
    return colours;
}

const TPlatformStyle::TProgressColours kProgress{
    .Track = QColor(0xCC, 0xE4, 0xF7),
    .Bar = QColor(0x00, 0x78, 0xD7),
};

// A look with the controls' colours above; a look whose controls differ
// gets its own sets.
TPlatformStyle Look(const QString& name, QColor windowBackground, QColor stripFill,
                    QColor stripOutline, const TPlatformStyle::TSwitchColours& switchColours) {
    return {name,     windowBackground, stripFill, stripOutline, kButton,
            kSpinBox, switchColours,    kDial,     kProgress};
}

const TPlatformStyle kWin10 = Look(QStringLiteral("win10style"), QColor(0xF0, 0xF0, 0xF0),
                                   QColor(0xF0, 0xF0, 0xF0), QColor(0xCC, 0xCC, 0xCC), kSwitch);
const TPlatformStyle kWin8 =
    Look(QStringLiteral("win8style"), QColor(0xF0, 0xF0, 0xF0), QColor(0xF0, 0xF0, 0xF0),
         QColor(0x97, 0x97, 0x97), SplitTrack(kSwitch));
const TPlatformStyle kWin7 =
    Look(QStringLiteral("win7style"), QColor(0xF4, 0xF4, 0xF4), QColor(0xF4, 0xF4, 0xF4),
         QColor(0x97, 0x97, 0x97), SplitTrack(kSwitch));

const TPlatformStyle* current = nullptr;

}  // namespace

const TPlatformStyle& TPlatformStyle::ForWindowsVersion(int major, int minor) {
    if (major >= 10) return kWin10;
    if (major > 6 || (major == 6 && minor >= 2)) return kWin8;
    return kWin7;
}

const TPlatformStyle& TPlatformStyle::ForThisSystem() {
    const QOperatingSystemVersion os = QOperatingSystemVersion::current();
    if (os.type() != QOperatingSystemVersion::Windows) return kWin10;
    return ForWindowsVersion(os.majorVersion(), os.minorVersion());
}

const TPlatformStyle& TPlatformStyle::Current() {
    return current ? *current : ForThisSystem();
}

void TPlatformStyle::Select(const TPlatformStyle& style) {
    current = &style;
}
