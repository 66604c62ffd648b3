#pragma once

#include <QSize>
#include <functional>

class TBitmap;

// What a request to the photo library asks for, and where its answer goes.
struct TParamsPhotoQuery {
    // The largest picture wanted; the service shrinks larger ones.
    QSize RequiredResolution;
    // Whether the user may crop the picture before it is taken.
    bool Editable = false;
    // Whether a picture taken with the camera is also kept in the library.
    bool NeedSaveToAlbum = false;
    // The picture chosen; it stays the service's.
    std::function<void(TBitmap* image)> OnDidFinishTaking;
    std::function<void()> OnDidCancelTaking;
};
