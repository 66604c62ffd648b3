#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "PictureFiles.h"
#include "SharedWindow.h"
#include "framework/window/TFormView.h"

using namespace PictureFiles;

// Files dropped on the window: the first local file loads as one chosen
// with the open button would; anything else is refused while it is dragged.
class DropTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    // The rows share a window; each looks at what its own drop changed.
    SharedWindow shared_;

    QString path(const QString& name) const { return dir_.filePath(name); }

    // The drop's data: each entry a file of the folder, a folder ("/"), an
    // address ("http..."), or text ("text:...").
    QMimeData* data(const QStringList& entries) const {
        auto* mime = new QMimeData;
        QList<QUrl> urls;
        for (const QString& entry : entries) {
            if (entry.startsWith("text:"))
                mime->setText(entry.mid(5));
            else if (entry.startsWith("http"))
                urls << QUrl(entry);
            else
                urls << QUrl::fromLocalFile(entry == "/" ? dir_.path() : path(entry));
        }
        if (!urls.isEmpty()) mime->setUrls(urls);
        return mime;
    }

private slots:
    void cleanupTestCase() { shared_.Close(); }

    void initTestCase() {
        QVERIFY(Write(path("good.png"), Halves(QSize(30, 60)), "png"));
        QVERIFY(Write(path("other.png"), Halves(QSize(8, 4)), "png"));
        QVERIFY(WriteBytes(path("note.png"), "This is a note, not a chart.\n"));
    }

    void dropsLoadTheFirstLocalFile_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<Qt::DropActions>("offered");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QSize>("shown");    // invalid: the picture stays
        QTest::addColumn<QString>("error");  // the box's text, with %1 for the folder
        const Qt::DropActions any = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        const QSize kept;
        QTest::newRow("one picture")
            << QStringList{"good.png"} << any << true << QSize(30, 60) << "";
        QTest::newRow("a file that is no picture") << QStringList{"note.png"} << any << true << kept
                                                   << "Loading bitmap failed (%1/note.png).";
        QTest::newRow("several pictures: the first")
            << QStringList{"other.png", "good.png"} << any << true << QSize(8, 4) << "";
        QTest::newRow("several files, the first no picture")
            << QStringList{"note.png", "good.png"} << any << true << kept
            << "Loading bitmap failed (%1/note.png).";
        QTest::newRow("a remote address")
            << QStringList{"https://charts.invalid/bay.png"} << any << false << kept << "";
        QTest::newRow("a remote address before a file")
            << QStringList{"https://charts.invalid/bay.png", "good.png"} << any << false << kept
            << "";
        QTest::newRow("text") << QStringList{"text:good.png"} << any << false << kept << "";
        QTest::newRow("a folder") << QStringList{"/"} << any << false << kept << "";
        QTest::newRow("a file that isn't there")
            << QStringList{"gone.png"} << any << false << kept << "";
        // The file is only read: a drag that can only move it is refused.
        QTest::newRow("moving only")
            << QStringList{"good.png"} << Qt::DropActions(Qt::MoveAction) << false << kept << "";
    }
    void dropsLoadTheFirstLocalFile() {
        QFETCH(QStringList, entries);
        QFETCH(Qt::DropActions, offered);
        QFETCH(bool, taken);
        QFETCH(QSize, shown);
        QFETCH(QString, error);
        TestWindow& w = shared_.For("drops");
        w.boxes.clear();
        TForm1& f = w.form();
        const QImage before = f.Image1->Bitmap().Image();
        const std::unique_ptr<QMimeData> mime(data(entries));
        const QPoint at(320, 240);

        QDragEnterEvent enter(at, offered, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.viewport(), &enter);
        QCOMPARE(enter.isAccepted(), taken);
        if (taken) QCOMPARE(enter.dropAction(), Qt::CopyAction);
        QDragMoveEvent move(at, offered, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.viewport(), &move);
        QCOMPARE(move.isAccepted(), taken);
        QDropEvent drop(at, offered, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.viewport(), &drop);
        QCOMPARE(drop.isAccepted(), taken);

        // The load comes once the drop has been taken.
        QCOMPARE(f.Image1->Bitmap().Image().cacheKey(), before.cacheKey());
        QCoreApplication::processEvents();
        if (shown.isValid()) {
            QCOMPARE(f.Image1->Bitmap().Image().size(), shown);
        } else {
            QCOMPARE(f.Image1->Bitmap().Image().cacheKey(), before.cacheKey());
        }
        if (error.isEmpty()) {
            QVERIFY(w.boxes.empty());
        } else {
            QCOMPARE(w.boxes.size(), size_t(1));
            QCOMPARE(w.boxes[0].Caption, QStringLiteral("Error"));
            // The message names the file with the system's separators.
            QCOMPARE(w.boxes[0].Text, QDir::toNativeSeparators(error.arg(dir_.path())));
        }
    }
};

QTEST_MAIN(DropTest)
#include "tst_drop.moc"
