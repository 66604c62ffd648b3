#include "TTimer.h"

#include "framework/window/TApplication.h"

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        Application->Guard([this] {
            if (OnTimer) OnTimer(this);
        });
    });
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Update();
}

void TTimer::SetInterval(int interval) {
    interval = std::max(interval, 0);
    if (interval == interval_) return;
    interval_ = interval;
    Update();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    Update();
}

void TTimer::Update() {
    timer_.stop();
    if (!enabled_ || interval_ == 0 || IsLoading()) return;
    timer_.start(interval_);
    // The system may refuse a timer; then the timer is simply off.
    if (!timer_.isActive()) enabled_ = false;
}
