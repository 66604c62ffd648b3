#pragma once

#include "TAccessibleControl.h"

class TEllipse;

// A shape, such as the ship marker: its description says where it is and
// which way it is turned.
class TAccessibleEllipse : public TAccessibleControl {
public:
    explicit TAccessibleEllipse(TEllipse* ellipse);

    bool DescribesPlace() const override { return true; }

protected:
    QString Description() const override;
};
