#pragma once

#include "framework/window/TControl.h"

// A plain container drawn as a filled band with an outline in the window's look.
class TPanel : public TControl {
    Q_OBJECT

public:
    using TControl::TControl;

protected:
    void Paint(QPainter& painter) override;
};
