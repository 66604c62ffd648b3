#pragma once

#include <QTimer>

#include "framework/core/TComponent.h"
#include "framework/core/Types.h"

// A periodic tick of the event loop. Enabling starts a fresh count, so the
// first tick comes one full interval later; late ticks are not made up.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    int Interval() const { return interval_; }
    void SetInterval(int interval);

    TNotifyEvent OnTimer;

    void Loaded() override;
    void WindowClosing() override { SetEnabled(false); }

private:
    void Update();

    QTimer timer_;
    bool enabled_ = true;
    int interval_ = 1000;
};
