#include "TTakePhotoFromLibraryAction.h"

void TTakePhotoFromLibraryAction::Loaded() {
    TAction::Loaded();
    // The desktop offers no photo library.
    supported_ = false;
    if (!supported_ && hideIfUnsupported_) {
        SetVisible(false);
        SetEnabled(false);
    }
}
