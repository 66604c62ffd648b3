#pragma once

#include <QFile>
#include <QString>
#include <memory>

#include "Exception.h"

// Opening a picture file for reading, and the two ways loading one fails.
namespace PictureFile {

// The file at a path, open for reading. Throws EFOpenError when the path
// can't be opened (missing, no access, a directory, ...), and
// EBitmapLoadingFailed when it names something that isn't a file of fixed
// content (a pipe or a device), which could block or never end.
std::unique_ptr<QFile> OpenForReading(const QString& path);

// "Cannot open file "<full path>". <the system's text for the error>"
EFOpenError CannotOpen(const QString& path, int errorCode);
// "Loading bitmap failed (<path as given>)."
EBitmapLoadingFailed LoadingFailed(const QString& path);

}  // namespace PictureFile
