#pragma once

class TPhotoLibraryService;

// The optional services of the platform the program runs on. The desktop
// offers none of them.
class TPlatformServices {
public:
    // The photo library, or null where the platform has none.
    static TPhotoLibraryService* PhotoLibrary() { return photoLibrary_; }
    // Registers (or, with null, removes) the platform's photo library; the
    // caller keeps it alive while registered.
    static void SetPhotoLibrary(TPhotoLibraryService* service) { photoLibrary_ = service; }

private:
    static inline TPhotoLibraryService* photoLibrary_ = nullptr;
};
