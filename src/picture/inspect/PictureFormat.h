#pragma once

#include <QByteArray>

// The picture formats decoded here row by row, told by their first bytes.
namespace PictureFormat {

enum class Kind { Png, Jpeg, Tiff, Other };

// How many bytes Recognise looks at.
constexpr int HeadSize = 8;

// The kind of picture whose file starts with these bytes; the name of the
// file plays no part.
Kind Recognise(const QByteArray& head);

}  // namespace PictureFormat
