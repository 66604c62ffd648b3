#include "SvgReferences.h"

#include <zlib.h>
#include <QIODevice>
#include <QXmlStreamReader>
#include <memory>

namespace SvgReferences {

namespace {

constexpr qint64 kChunk = 64 * 1024;

// Feeds the document to the XML reader a chunk at a time, inflating it on
// the way when it is compressed, so nothing holds more than a chunk of it.
class DocumentSource {
public:
    DocumentSource(QIODevice& device, qint64 start) : device_(device) {
        device_.seek(start);
        const QByteArray magic = device_.peek(2);
        compressed_ = magic.size() == 2 && uchar(magic[0]) == 0x1F && uchar(magic[1]) == 0x8B;
        // 16 + the window bits: a gzip wrapper.
        if (compressed_ && inflateInit2(&stream_, 16 + MAX_WBITS) != Z_OK) failed_ = true;
    }
    ~DocumentSource() {
        if (compressed_) inflateEnd(&stream_);
    }
    DocumentSource(const DocumentSource&) = delete;
    DocumentSource& operator=(const DocumentSource&) = delete;

    // The next piece of the document; empty at its end.
    QByteArray Next() {
        if (failed_ || finished_) return {};
        if (!compressed_) return device_.read(kChunk);
        QByteArray out(kChunk, Qt::Uninitialized);
        stream_.next_out = reinterpret_cast<Bytef*>(out.data());
        stream_.avail_out = uInt(out.size());
        while (stream_.avail_out == uInt(out.size())) {
            if (stream_.avail_in == 0) {
                input_ = device_.read(kChunk);
                if (input_.isEmpty()) break;
                stream_.next_in = reinterpret_cast<Bytef*>(input_.data());
                stream_.avail_in = uInt(input_.size());
            }
            const int result = inflate(&stream_, Z_NO_FLUSH);
            if (result == Z_STREAM_END) {
                finished_ = true;
                break;
            }
            if (result != Z_OK) {
                failed_ = true;
                break;
            }
        }
        out.truncate(out.size() - qsizetype(stream_.avail_out));
        return out;
    }

private:
    QIODevice& device_;
    z_stream stream_{};
    QByteArray input_;
    bool compressed_ = false;
    bool failed_ = false;
    bool finished_ = false;
};

// Names as written, prefix and all: the SVG reader doesn't process
// namespaces, so an undeclared prefix stops neither it nor this.
bool Named(QStringView qualified, QStringView local) {
    return qualified == local ||
           (qualified.endsWith(local) && qualified.at(qualified.size() - local.size() - 1) == u':');
}

bool NamesAnotherFile(const QXmlStreamAttributes& attributes) {
    for (const QXmlStreamAttribute& attribute : attributes) {
        if (!Named(attribute.qualifiedName(), u"href")) continue;
        const QStringView value = attribute.value().trimmed();
        if (!value.startsWith(u"data:", Qt::CaseInsensitive)) return true;
    }
    return false;
}

}  // namespace

bool RefersOutside(QIODevice& device, qint64 start) {
    DocumentSource source(device, start);
    QXmlStreamReader xml;
    xml.setNamespaceProcessing(false);
    for (;;) {
        switch (xml.readNext()) {
            case QXmlStreamReader::StartElement:
                if (Named(xml.qualifiedName(), u"image") && NamesAnotherFile(xml.attributes()))
                    return true;
                break;
            case QXmlStreamReader::Invalid:
                if (xml.error() != QXmlStreamReader::PrematureEndOfDocumentError) return false;
                if (const QByteArray more = source.Next(); !more.isEmpty()) {
                    xml.addData(more);
                } else {
                    return false;  // the end: a broken document is the reader's to refuse
                }
                break;
            case QXmlStreamReader::EndDocument:
                return false;
            default:
                break;
        }
    }
}

}  // namespace SvgReferences
