#include "PictureFormat.h"

namespace PictureFormat {

Kind Recognise(const QByteArray& head) {
    if (head.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8))) return Kind::Png;
    // Start of image, then the first marker of any kind.
    if (head.startsWith("\xFF\xD8\xFF")) return Kind::Jpeg;
    // Byte order, then 42 (classic) or 43 (the 64-bit variant).
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)) ||
        head.startsWith(QByteArray("II+\0", 4)) || head.startsWith(QByteArray("MM\0+", 4)))
        return Kind::Tiff;
    return Kind::Other;
}

}  // namespace PictureFormat
