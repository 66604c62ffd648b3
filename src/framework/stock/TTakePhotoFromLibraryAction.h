#pragma once

#include <algorithm>
#include <memory>

#include "TAction.h"
#include "TParamsPhotoQuery.h"

// Takes a picture from the device's photo library where the platform has
// one. Elsewhere, from the end of loading on, it hides and disables itself
// and the controls that follow it.
class TTakePhotoFromLibraryAction : public TAction {
public:
    explicit TTakePhotoFromLibraryAction(TComponent* owner);

    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int width) { maxWidth_ = std::max(width, 1); }
    int MaxHeight() const { return maxHeight_; }
    void SetMaxHeight(int height) { maxHeight_ = std::max(height, 1); }
    bool Editable() const { return editable_; }
    void SetEditable(bool editable) { editable_ = editable; }
    bool NeedSaveToAlbum() const { return needSaveToAlbum_; }
    void SetNeedSaveToAlbum(bool save) { needSaveToAlbum_ = save; }
    bool HideIfUnsupportedInterface() const { return hideIfUnsupported_; }
    void SetHideIfUnsupportedInterface(bool hide);
    // Whether the platform had a photo library when loading finished.
    bool Supported() const { return supported_; }

    // The request the action makes of the photo library.
    TParamsPhotoQuery Query() const;
    // Asks the photo library for a picture; its answer comes later.
    bool Execute() override;
    void Loaded() override;

    TDidFinishTakingEvent OnDidFinishTaking;
    TNotifyEvent OnDidCancelTaking;

protected:
    bool Available() const override;

private:
    int maxWidth_ = 1024;
    int maxHeight_ = 1024;
    bool editable_ = false;
    bool needSaveToAlbum_ = false;
    bool hideIfUnsupported_ = true;
    bool supported_ = false;
    bool checked_ = false;
    // The service may answer after the action is gone; its callbacks hold
    // only a weak reference to this.
    std::shared_ptr<TTakePhotoFromLibraryAction*> self_ =
        std::make_shared<TTakePhotoFromLibraryAction*>(this);
};
