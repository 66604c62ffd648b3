#include "TPanel.h"

#include <QPainter>

#include "framework/window/TPlatformStyle.h"

void TPanel::Paint(QPainter& painter) {
    const TPlatformStyle& style = TPlatformStyle::Current();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(LocalRect(), style.StripFill);
    // The 1-pixel outline lies just inside the box, on whole logical pixels.
    painter.setPen(QPen(style.StripOutline, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(LocalRect().adjusted(0.5, 0.5, -0.5, -0.5));
}
