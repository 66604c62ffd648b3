#include <zlib.h>

#include <QFile>
#include <QResource>
#include <QTest>

#include "ProcessStatus.h"
#include "Unit1.h"
#include "picture/memory/ResidentPages.h"

namespace {

quint32 checksum(QByteArrayView bytes) {
    return quint32(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size())));
}

}  // namespace

// Handing back the pages of bytes read in place: only a file's own pages go,
// and what they hold reads the same afterwards.
class ResidentPagesTest : public QObject {
    Q_OBJECT

private slots:
    void builtInChartsPagesGoBackAndReadTheSame() {
#if defined(Q_OS_LINUX)
        const char* const resident = "RssFile:";  // pages of files alone
#elif defined(Q_OS_WIN)
        const char* const resident = "VmRSS:";  // the working set
#else
        QSKIP("pages are handed back on Linux and Windows only");
#endif
        RegisterUnit1Classes();
        QResource resource(QStringLiteral(":/tidemark/chart.png"));
        const QByteArrayView chart(reinterpret_cast<const char*>(resource.data()),
                                   qsizetype(resource.size()));
        const quint32 before = checksum(chart);  // every page read, so resident
        const qint64 residentBefore = ProcessStatus::KiB(resident);
        ResidentPages::GiveBack(chart);
        const qint64 handedBack = residentBefore - ProcessStatus::KiB(resident);
        QVERIFY2(handedBack * 1024 > chart.size() * 9 / 10,
                 qPrintable(QStringLiteral("%1 KiB handed back").arg(handedBack)));
        QCOMPARE(checksum(chart), before);
    }

    void otherMemoryIsLeftAlone() {
        QByteArray heap(8 << 20, '\0');
        for (qsizetype i = 0; i < heap.size(); ++i) heap[i] = char(i * 7);
        const quint32 before = checksum(heap);
        ResidentPages::GiveBack(heap);
        QCOMPARE(checksum(heap), before);
    }
};

QTEST_MAIN(ResidentPagesTest)
#include "tst_residentpages.moc"
