#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "PictureFiles.h"
#include "TestWindow.h"
#include "framework/core/Exception.h"
#include "framework/stock/TPhotoLibraryService.h"
#include "framework/stock/TPlatformServices.h"
#include "framework/window/TFormView.h"

using namespace PictureFiles;

namespace {

const QPoint kOpenButton(50, 28);
const QPoint kPhotoButton(157, 28);

// Stands in for the system dialog: answers with the next path (or a cancel)
// and remembers where each request started.
struct ChooserScope {
    std::optional<QString> answer;
    QStringList starts;
    TOpenDialog::TChooser previous = TOpenDialog::Chooser();

    ChooserScope() {
        TOpenDialog::Chooser() = [this](QWidget*, const QString& start) {
            starts << start;
            return answer;
        };
    }
    ~ChooserScope() { TOpenDialog::Chooser() = previous; }
};

// A platform photo library that records the request and answers when told.
struct FakePhotoLibrary : TPhotoLibraryService {
    int calls = 0;
    TControl* anchor = nullptr;
    TParamsPhotoQuery query;

    FakePhotoLibrary() { TPlatformServices::SetPhotoLibrary(this); }
    ~FakePhotoLibrary() override { TPlatformServices::SetPhotoLibrary(nullptr); }
    void TakeImageFromLibrary(TControl* at, const TParamsPhotoQuery& params) override {
        ++calls;
        anchor = at;
        query = params;
    }
};

// Where a left-aligned control added to the strip after Button3 lands: 209
// with Button3 in the strip, 105 without it.
float nextLeftSlot(TForm1& f) {
    auto* probe = new TPanel(&f);
    probe->SetAlign(TAlignLayout::Left);
    probe->SetSize(50, 57);
    probe->Position.SetX(300);
    f.Panel1->InsertChild(probe);
    return probe->Position.X();
}

}  // namespace

// The two ways to replace the chart: a picture file chosen in the dialog,
// and a picture from the platform's photo library.
class ChartCommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void dialogKeepsTheLastPathAndOffersItAgain() {
        ChooserScope chooser;
        TOpenDialog dialog(nullptr);
        QVERIFY(!dialog.Execute());
        QCOMPARE(dialog.FileName(), QString());

        chooser.answer = QStringLiteral("/charts/harbour.png");
        QVERIFY(dialog.Execute());
        QCOMPARE(dialog.FileName(), QStringLiteral("/charts/harbour.png"));

        chooser.answer.reset();
        QVERIFY(!dialog.Execute());
        QCOMPARE(dialog.FileName(), QStringLiteral("/charts/harbour.png"));
        QCOMPARE(chooser.starts, QStringList({"", "", "/charts/harbour.png"}));
    }

    void systemDialogListsEveryFileAndHoldsTheLastPath() {
        const QString last = dir_.filePath("chart.no-such-extension");
        QVERIFY(WriteBytes(last, "x"));
        QFileDialog dialog;
        TOpenDialog::Configure(dialog, last);
        QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
        // Not ExistingFile: a typed path that can't be opened is reported
        // by the loading, with the system's reason.
        QCOMPARE(dialog.fileMode(), QFileDialog::AnyFile);
        QCOMPARE(dialog.selectedFiles(), QStringList{last});
        for (const QString& filter : dialog.nameFilters())
            QVERIFY2(filter.contains("(*)"), qPrintable(filter));
    }

    void openedPictureReplacesTheChartAndTheShipStays() {
        const QString file = dir_.filePath("harbour.dat");
        QVERIFY(Write(file, Halves(QSize(30, 60)), "png"));
        ChooserScope chooser;
        chooser.answer = file;
        TestWindow w;
        TForm1& f = w.form();
        const QPointF ship = f.Ellipse1->Position.Point();

        w.click(kOpenButton);
        QVERIFY(w.boxes.empty());
        QCOMPARE(f.OpenDialog1->FileName(), file);
        QCOMPARE(f.Image1->Bitmap().Image().size(), QSize(30, 60));
        QCOMPARE(f.Image1->MultiResBitmap().Count(), 1);
        QCOMPARE(f.Image1->MultiResBitmap().Item(0).Scale(), 1.0f);
        // A tall picture in the 640 x 423 view: full height, centred across.
        QCOMPARE(f.Image1->PictureRect(1), QRectF(214, 0, 212, 423));

        f.View()->resize(900, 300);
        QTRY_COMPARE(f.Image1->Width(), 900.0f);
        QCOMPARE(f.Image1->PictureRect(1), QRectF(389, 0, 122, 243));
        QCOMPARE(f.Ellipse1->Position.Point(), ship);
    }

    void failedOpenShowsTheErrorAndTheChartStays_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const QString missing = dir_.filePath("missing.png");
        const QString note = dir_.filePath("note.png");
        QVERIFY(WriteBytes(note, "A note, not a chart.\n"));
        // Paths and errors as the system writes them.
#ifdef Q_OS_WIN
        const QString notFound = qt_error_string(ERROR_FILE_NOT_FOUND);  // ends in a full stop
#else
        const QString notFound = QStringLiteral("No such file or directory.");
#endif
        QTest::newRow("missing file") << missing
                                      << QStringLiteral("Cannot open file \"%1\". %2")
                                             .arg(QDir::toNativeSeparators(missing), notFound);
        QTest::newRow("not a picture")
            << note
            << QStringLiteral("Loading bitmap failed (%1).").arg(QDir::toNativeSeparators(note));
    }
    void failedOpenShowsTheErrorAndTheChartStays() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        ChooserScope chooser;
        chooser.answer = name;
        TestWindow w;
        TForm1& f = w.form();
        const QImage chart = f.Image1->Bitmap().Image();

        w.click(kOpenButton);
        QCOMPARE(w.boxes.size(), size_t(1));
        QCOMPARE(w.boxes[0].Caption, QStringLiteral("Error"));
        QCOMPARE(w.boxes[0].Text, text);
        QCOMPARE(w.boxes[0].Icon, QMessageBox::Critical);
        QCOMPARE(w.boxes[0].Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(f.Image1->Bitmap().Image().cacheKey(), chart.cacheKey());
        QCOMPARE(f.OpenDialog1->FileName(), name);

        // The program goes on: a cancel now changes nothing and says nothing.
        chooser.answer.reset();
        w.click(kOpenButton);
        QCOMPARE(w.boxes.size(), size_t(1));
        QCOMPARE(f.OpenDialog1->FileName(), name);
        QCOMPARE(chooser.starts.last(), name);
    }

    void photoButtonGoneWithoutAPhotoLibrary() {
        TestWindow w;
        TForm1& f = w.form();
        TTakePhotoFromLibraryAction& action = *f.TakePhotoFromLibraryAction1;
        QVERIFY(!action.Supported());
        QVERIFY(!action.Visible() && !action.Enabled());
        QVERIFY(!f.Button3->Visible() && !f.Button3->Enabled());
        QVERIFY(!f.Button3->isVisible());
        // Whatever is set later, it stays so while unsupported.
        action.SetVisible(true);
        action.SetEnabled(true);
        QVERIFY(!action.Visible() && !action.Enabled());
        QVERIFY(!f.Button3->Visible() && !f.Button3->Enabled());
        QVERIFY(!action.Execute());
        QCOMPARE(nextLeftSlot(f), 105.0f);
        // Its place in the strip is the chart's: a press there is no click.
        w.click(kPhotoButton);
        QVERIFY(w.boxes.empty());
    }

    void photoButtonAsksTheLibraryAndShowsItsAnswer() {
        FakePhotoLibrary library;
        TestWindow w;
        TForm1& f = w.form();
        QVERIFY(f.TakePhotoFromLibraryAction1->Supported());
        QVERIFY(f.Button3->Visible() && f.Button3->Enabled());
        QCOMPARE(f.Button3->Text(), QStringLiteral("КартаАндроид"));
        QCOMPARE(f.TakePhotoFromLibraryAction1->Caption(), QStringLiteral("Photo Library"));
        QCOMPARE(nextLeftSlot(f), 209.0f);

        w.click(kPhotoButton);
        QCOMPARE(library.calls, 1);
        QCOMPARE(library.anchor, f.Button3);
        QCOMPARE(library.query.RequiredResolution, QSize(1024, 1024));
        QVERIFY(!library.query.Editable);
        QVERIFY(!library.query.NeedSaveToAlbum);
        QVERIFY(library.query.OnDidFinishTaking && library.query.OnDidCancelTaking);

        const QImage chart = f.Image1->Bitmap().Image();
        library.query.OnDidCancelTaking();
        QCOMPARE(f.Image1->Bitmap().Image().cacheKey(), chart.cacheKey());

        TBitmap photo(Halves(QSize(40, 30)));
        const QImage taken = photo.Image();
        library.query.OnDidFinishTaking(&photo);
        QCOMPARE(f.Image1->Bitmap().Image(), taken);
        // A copy: the photo stays the library's to change.
        photo.SetImage(Halves(QSize(2, 2)));
        QCOMPARE(f.Image1->Bitmap().Image(), taken);
        QCOMPARE(f.Image1->MultiResBitmap().Count(), 1);
        QVERIFY(w.boxes.empty());
    }

    void lateOrFailingAnswersAreSafe() {
        FakePhotoLibrary library;
        TParamsPhotoQuery query;
        {
            TestWindow w;
            w.click(kPhotoButton);
            query = library.query;
            // A failing handler is reported like any other.
            w.form().TakePhotoFromLibraryAction1->OnDidFinishTaking = [](TBitmap*) {
                throw Exception(QStringLiteral("No room for the photo"));
            };
            TBitmap photo(Halves(QSize(4, 4)));
            library.query.OnDidFinishTaking(&photo);
            QCOMPARE(w.boxes.size(), size_t(1));
            QCOMPARE(w.boxes[0].Text, QStringLiteral("No room for the photo."));
        }
        // The window is gone when the answer comes.
        TBitmap photo(Halves(QSize(4, 4)));
        query.OnDidFinishTaking(&photo);
        query.OnDidCancelTaking();
    }
};

QTEST_MAIN(ChartCommandsTest)
#include "tst_chartcommands.moc"
