#pragma once

#include "TAction.h"

// Takes a picture from the device's photo library where the platform has
// one; elsewhere it hides itself and the controls that follow it.
class TTakePhotoFromLibraryAction : public TAction {
public:
    using TAction::TAction;

    int MaxWidth() const { return maxWidth_; }
    int MaxHeight() const { return maxHeight_; }
    bool Editable() const { return editable_; }
    bool NeedSaveToAlbum() const { return needSaveToAlbum_; }
    bool HideIfUnsupportedInterface() const { return hideIfUnsupported_; }
    bool Supported() const { return supported_; }

    TDidFinishTakingEvent OnDidFinishTaking;
    TNotifyEvent OnDidCancelTaking;

    void Loaded() override;

private:
    int maxWidth_ = 1024;
    int maxHeight_ = 1024;
    bool editable_ = false;
    bool needSaveToAlbum_ = false;
    bool hideIfUnsupported_ = true;
    bool supported_ = false;
};
