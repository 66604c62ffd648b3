#pragma once

#include <QFile>
#include <QString>
#include <memory>

// Opening a picture file for reading, safely: the library reports what went
// wrong as a value, and its caller words it for the user.
namespace PictureFile {

enum class Failure {
    None,
    // The path can't be opened: missing, no access, a directory, ...
    CannotOpen,
    // It names something that isn't a file of fixed content (a pipe or a
    // device), which could block or never end.
    NotAFile,
};

struct Opened {
    std::unique_ptr<QFile> file;  // open for reading when failure is None
    Failure failure = Failure::None;
    int systemError = 0;  // the system's error code, for CannotOpen
};

// The file at a path, open for reading, or why it isn't.
Opened OpenForReading(const QString& path);

}  // namespace PictureFile
