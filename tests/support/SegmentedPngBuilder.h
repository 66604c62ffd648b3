#pragma once

#include <QByteArray>
#include <QImage>

// PNG files laid out in independently inflatable segments as the built-in
// chart is, made on the spot with every filter type, and spoiled on request
// in the ways a decoder of that layout must notice.
class SegmentedPngBuilder {
public:
    enum class Fault {
        None,
        NoIndex,              // an ordinary PNG: one zlib stream, no index
        IndexShort,           // the index counts fewer rows than the picture has
        IndexSegmentsMerged,  // two segments in one IDAT, the index still lists both
        WrongIdatCrc,         // a segment's chunk fails its CRC
        WrongAdler,           // the stream's checksum doesn't match the rows
        UpAtSegmentStart,     // a segment's first row needs the row before it
        NoFlushBetween,       // the stream cut into chunks where it wasn't flushed
        PaletteChunk,         // a critical chunk the layout doesn't expect
        NoEnd,                // the file stops after the last IDAT
        UnknownFilter,        // a row with filter type 5
    };

    // The picture's pixels become 8-bit RGBA, alpha as it is.
    explicit SegmentedPngBuilder(const QImage& picture, int segmentRows = 3);

    QByteArray Build(Fault fault = Fault::None) const;

private:
    QByteArray FilteredRows(Fault fault) const;

    QImage rgba_;
    int segmentRows_ = 3;
};
