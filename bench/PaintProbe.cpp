#include "PaintProbe.h"

#include <QCoreApplication>
#include <QPaintEvent>

#include "BenchMath.h"

PaintProbe::PaintProbe(std::function<QWidget*()> widget) : widget_(std::move(widget)) {}

void PaintProbe::Install() {
    QCoreApplication::instance()->installEventFilter(this);
}

void PaintProbe::Uninstall() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool PaintProbe::eventFilter(QObject* watched, QEvent* event) {
    if (inside_ || event->type() != QEvent::Paint || watched != widget_()) return false;
    // The filter runs where the widget's paint would, inside the paint
    // machinery: let the widget paint now, then note the time.
    const QRegion painted = static_cast<QPaintEvent*>(event)->region();
    inside_ = true;
    QCoreApplication::sendEvent(watched, event);
    inside_ = false;
    const std::int64_t end = BenchMath::NowNs();
    if (OnPainted) OnPainted(painted, end);
    return true;
}
