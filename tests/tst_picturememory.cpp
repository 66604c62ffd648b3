#include <QTest>
class PictureMemoryTest : public QObject { Q_OBJECT };
QTEST_MAIN(PictureMemoryTest)
#include "tst_picturememory.moc"
