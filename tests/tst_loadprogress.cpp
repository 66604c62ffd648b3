#include <QCursor>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "PictureFiles.h"
#include "TestWindow.h"
#include "framework/stock/TLoadProgress.h"
#include "framework/window/TFormView.h"

using namespace PictureFiles;

namespace {

// Counts the paints a widget gets, however they reach it.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

}  // namespace

// A long load of a picture file shows a busy pointer and how far it has
// come, and leaves nothing of that behind; nothing else happens meanwhile.
class LoadProgressTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString big_;

private slots:
    void initTestCase() {
        // Noise doesn't compress: the rows take a while to come.
        QImage noise(2400, 1600, QImage::Format_RGB32);
        auto* random = QRandomGenerator::global();
        for (int y = 0; y < noise.height(); ++y)
            random->fillRange(reinterpret_cast<quint32*>(noise.scanLine(y)), noise.width());
        big_ = dir_.filePath(QStringLiteral("big.png"));
        QVERIFY(Write(big_, noise, "png"));
    }

    void shownAfterADelayThenPaced_data() {
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<qint64>("lastShown");
        QTest::addColumn<bool>("atEnd");
        QTest::addColumn<bool>("due");
        QTest::newRow("a short load shows nothing") << qint64(499) << qint64(-1) << false << false;
        QTest::newRow("nor its end") << qint64(120) << qint64(-1) << true << false;
        QTest::newRow("shown once half a second has gone")
            << qint64(500) << qint64(-1) << false << true;
        QTest::newRow("not again at once") << qint64(530) << qint64(500) << false << false;
        QTest::newRow("again 40 ms on") << qint64(540) << qint64(500) << false << true;
        QTest::newRow("the end always") << qint64(501) << qint64(500) << true << true;
    }
    void shownAfterADelayThenPaced() {
        QFETCH(qint64, elapsed);
        QFETCH(qint64, lastShown);
        QFETCH(bool, atEnd);
        QFETCH(bool, due);
        QCOMPARE(TLoadProgress::Due(elapsed, lastShown, atEnd), due);
    }

    void longLoadShowsHowFarItHasCome() {
        TestWindow w;
        TForm1& f = w.form();
        // Steps fall due all through the load: none may come during it.
        f.Timer1->SetInterval(5);
        f.Switch1->SetIsChecked(true);
        const QPointF start = f.Ellipse1->Position.Point();
        PaintCounter counter;
        w.viewport()->installEventFilter(&counter);

        QList<double> shown;
        bool busy = true, painted = true, stayed = true;
        const auto show = f.Image1->MultiResBitmap().OnLoadProgress;
        f.Image1->MultiResBitmap().OnLoadProgress = [&](double fraction) {
            const int before = counter.paints;
            show(fraction);
            if (fraction < 0) return;
            shown << fraction;
            busy &= QGuiApplication::overrideCursor() &&
                    QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
            painted &= counter.paints > before && f.Image1->LoadProgress() == fraction;
            stayed &= f.Ellipse1->Position.Point() == start;
        };
        const qint64 delay = std::exchange(TLoadProgress::DelayMs, 0);
        f.Image1->Bitmap().LoadFromFile(big_);
        TLoadProgress::DelayMs = delay;

        QVERIFY(shown.size() >= 2);
        QVERIFY(std::is_sorted(shown.begin(), shown.end()));
        QCOMPARE(shown.last(), 1.0);
        QVERIFY(busy);
        QVERIFY(painted);
        QVERIFY(stayed);
        QCOMPARE(f.Ellipse1->Position.Point(), start);
        // All of it gone with the load; the voyage goes on.
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(f.Image1->LoadProgress(), -1.0);
        QTRY_VERIFY(f.Ellipse1->Position.Point() != start);
    }

    void theWindowAfterwardsIsAsWithoutIt() {
        TestWindow w;
        TForm1& f = w.form();
        const qint64 delay = std::exchange(TLoadProgress::DelayMs, 0);
        f.Image1->Bitmap().LoadFromFile(big_);
        TLoadProgress::DelayMs = delay;
        QVERIFY(w.boxes.empty());
        const QImage withIndicator = f.Image1->Bitmap().Image();
        QCoreApplication::processEvents();
        const QImage windowWith = w.viewport()->grab().toImage();

        f.Image1->Bitmap().LoadFromFile(big_);
        QCoreApplication::processEvents();
        QCOMPARE(f.Image1->Bitmap().Image(), withIndicator);
        QCOMPARE(w.viewport()->grab().toImage(), windowWith);
    }

    void aFailedLoadLeavesNothingEither() {
        TestWindow w;
        TForm1& f = w.form();
        const QString cut = dir_.filePath(QStringLiteral("cut.png"));
        QFile whole(big_);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QVERIFY(WriteBytes(cut, whole.read(whole.size() * 3 / 4)));
        int shown = 0;
        const auto show = f.Image1->MultiResBitmap().OnLoadProgress;
        f.Image1->MultiResBitmap().OnLoadProgress = [&](double fraction) {
            shown += fraction >= 0;
            show(fraction);
        };
        const QImage before = f.Image1->Bitmap().Image();
        const qint64 delay = std::exchange(TLoadProgress::DelayMs, 0);
        const Outcome outcome = Load(f.Image1->Bitmap(), cut);
        TLoadProgress::DelayMs = delay;
        QCOMPARE(outcome.failure, QStringLiteral("EBitmapLoadingFailed"));
        QVERIFY(shown > 0);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(f.Image1->LoadProgress(), -1.0);
        QCOMPARE(f.Image1->Bitmap().Image().cacheKey(), before.cacheKey());
    }
};

QTEST_MAIN(LoadProgressTest)
#include "tst_loadprogress.moc"
