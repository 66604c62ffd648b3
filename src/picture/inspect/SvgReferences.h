#pragma once

#include <QtGlobal>

class QIODevice;

// What a vector picture refers to outside itself.
namespace SvgReferences {

// Whether an SVG document (plain or gzip-compressed, read from `start`)
// has an image that names another file or a URL rather than carrying its
// pixels inline. The SVG reader would open such a name itself, blocking
// for ever on a pipe and decoding any picture the file names, however many
// and however large, none of them the file the user chose. The device is
// left positioned anywhere.
bool RefersOutside(QIODevice& device, qint64 start);

}  // namespace SvgReferences
