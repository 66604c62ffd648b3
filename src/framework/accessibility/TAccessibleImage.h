#pragma once

#include "TAccessibleControl.h"

class TImage;

// A picture view: where on the screen the picture itself is, and how large.
class TAccessibleImage : public TAccessibleControl, public QAccessibleImageInterface {
public:
    explicit TAccessibleImage(TImage* image);

    void* interface_cast(QAccessible::InterfaceType type) override;

    QString imageDescription() const override;
    QSize imageSize() const override;
    QPoint imagePosition() const override;

private:
    // The picture's place on the screen; empty when none is shown.
    QRect PictureOnScreen() const;
};
