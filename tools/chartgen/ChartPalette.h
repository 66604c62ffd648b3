#pragma once

#include <QColor>

// Printing inks of the paper chart. Kept together so the pages read as one printed series.
namespace ChartPalette {

inline const QColor kPaper{247, 245, 236};
inline const QColor kLand{241, 224, 164};
inline const QColor kDrying{194, 211, 166};
inline const QColor kShallow{166, 204, 231};
inline const QColor kMedium{193, 221, 240};
inline const QColor kDeepTint{219, 235, 246};
inline const QColor kInk{30, 30, 34};
inline const QColor kContour{62, 78, 102};
inline const QColor kLandContour{160, 118, 72};
inline const QColor kMagenta{166, 44, 122};
inline const QColor kLightFlare{196, 72, 150};
inline const QColor kBuoyRed{196, 48, 44};
inline const QColor kBuoyGreen{40, 128, 72};

}  // namespace ChartPalette
