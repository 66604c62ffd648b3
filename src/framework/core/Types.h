#pragma once

#include <QFlags>
#include <QStringList>
#include <functional>

class TObject;
class TBitmap;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
    ssTouch = 1u << 7,
};
Q_DECLARE_FLAGS(TShiftState, TShiftFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TShiftState)

enum class TAlignLayout { None, Top, Bottom, Left, Right, Client };

enum class TCursor { crDefault, crArrow, crIBeam, crHandPoint };

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, float X, float Y)>;
using TDidFinishTakingEvent = std::function<void(TBitmap* Image)>;
// Local files dropped on a window, the first one first.
using TDropFilesEvent = std::function<void(TObject* Sender, const QStringList& Files)>;
