#include "TTakePhotoFromLibraryAction.h"

#include "framework/window/TApplication.h"
#include "framework/window/TControl.h"
#include "TPhotoLibraryService.h"
#include "TPlatformServices.h"

TTakePhotoFromLibraryAction::TTakePhotoFromLibraryAction(TComponent* owner) : TAction(owner) {
    SetCaption(QStringLiteral("Photo Library"));
}

void TTakePhotoFromLibraryAction::SetHideIfUnsupportedInterface(bool hide) {
    if (hide == hideIfUnsupported_) return;
    hideIfUnsupported_ = hide;
    Refresh();
}

bool TTakePhotoFromLibraryAction::Available() const {
    return supported_ || !checked_ || !hideIfUnsupported_;
}

void TTakePhotoFromLibraryAction::Loaded() {
    TAction::Loaded();
    supported_ = TPlatformServices::PhotoLibrary() != nullptr;
    checked_ = true;
    Refresh();
}

TParamsPhotoQuery TTakePhotoFromLibraryAction::Query() const {
    TParamsPhotoQuery query;
    query.RequiredResolution = QSize(maxWidth_, maxHeight_);
    query.Editable = editable_;
    query.NeedSaveToAlbum = needSaveToAlbum_;
    // The answer comes from the platform's own event handling.
    query.OnDidFinishTaking = [self = std::weak_ptr(self_)](TBitmap* image) {
        const auto alive = self.lock();
        if (!alive) return;
        TTakePhotoFromLibraryAction* action = *alive;
        Application->Guard([&] {
            if (action->OnDidFinishTaking) action->OnDidFinishTaking(image);
        });
    };
    query.OnDidCancelTaking = [self = std::weak_ptr(self_)] {
        const auto alive = self.lock();
        if (!alive) return;
        TTakePhotoFromLibraryAction* action = *alive;
        Application->Guard([&] {
            if (action->OnDidCancelTaking) action->OnDidCancelTaking(action);
        });
    };
    return query;
}

bool TTakePhotoFromLibraryAction::Execute() {
    if (!Enabled() || !supported_) return false;
    TPhotoLibraryService* service = TPlatformServices::PhotoLibrary();
    if (!service) return false;
    service->TakeImageFromLibrary(dynamic_cast<TControl*>(ActionComponent()), Query());
    return true;
}
