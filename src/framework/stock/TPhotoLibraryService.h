#pragma once

#include "TParamsPhotoQuery.h"

class TControl;

// A platform's photo library. The service shows its picker and answers
// later, once, through one of the request's two callbacks.
class TPhotoLibraryService {
public:
    virtual ~TPhotoLibraryService() = default;
    // The anchor is the control the picker is shown against, if any.
    virtual void TakeImageFromLibrary(TControl* anchor, const TParamsPhotoQuery& params) = 0;
};
