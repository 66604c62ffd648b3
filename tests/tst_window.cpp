#include <QGraphicsView>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#ifdef Q_OS_WIN
#include <objbase.h>
#endif

#include "TestWindow.h"
#include "framework/window/TApplication.h"
#include "framework/window/TFormView.h"
#include "framework/window/TPlatformStyle.h"

namespace {

QRectF windowRect(const TControl* control) {
    return control->mapRectToScene(control->LocalRect());
}

}  // namespace

// The main window as it comes up, and its layout as the window changes size.
class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void startUpState() {
        TestWindow w;
        TForm1& f = w.form();
        QCOMPARE(f.Caption(), QStringLiteral("Form1"));
        QCOMPARE(f.View()->windowTitle(), QStringLiteral("Form1"));
        QCOMPARE(f.ClientWidth(), 640);
        QCOMPARE(f.ClientHeight(), 480);
        QCOMPARE(f.View()->viewport()->size(), QSize(640, 480));
        QCOMPARE(f.Ellipse1->Position.Point(), QPointF(136, 240));
        QCOMPARE(f.Ellipse1->Width(), 9.0f);
        QCOMPARE(f.Ellipse1->Height(), 22.0f);
        QCOMPARE(f.Ellipse1->RotationAngle(), 0.0f);
        QCOMPARE(f.Ellipse1->FillColor(), QColor::fromRgba(0xFFF42E2E));
        QVERIFY(!f.Switch1->IsChecked());
        QVERIFY(!f.Timer1->Enabled());
        QCOMPARE(f.Timer1->Interval(), 1000);
        QCOMPARE(f.SpinBox2->Value(), 10.0f);
        QCOMPARE(f.ArcDial1->Value(), 0.0f);
        QCOMPARE(f.ArcDial1->RotationAngle(), 270.0f);
        QCOMPARE(f.Focused(), nullptr);
        QCOMPARE(u, 0.0);
        QVERIFY(!f.Button3->Visible());
        QVERIFY(!f.Button3->Enabled());
        QCOMPARE(f.Button1->Text(), QStringLiteral("КартаВиндовс"));
        QCOMPARE(f.Button3->Text(), QStringLiteral("КартаАндроид"));
    }

    void layout_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        // Expected left edges; every control keeps its stored width.
        QTest::addColumn<int>("dialX");
        QTest::addColumn<int>("spinX");
        QTest::addColumn<int>("switchX");
        QTest::addColumn<int>("imageHeight");
        QTest::newRow("stored size") << 640 << 480 << 398 << 462 << 562 << 423;
        QTest::newRow("wider") << 1000 << 600 << 758 << 822 << 922 << 543;
        QTest::newRow("narrower than the strip") << 200 << 300 << -42 << 22 << 122 << 243;
        QTest::newRow("no room for the chart") << 640 << 40 << 398 << 462 << 562 << 0;
    }
    void layout() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, dialX);
        QFETCH(int, spinX);
        QFETCH(int, switchX);
        QFETCH(int, imageHeight);
        TestWindow w;
        TForm1& f = w.form();
        f.View()->resize(width, height);
        QTRY_COMPARE(f.View()->viewport()->size(), QSize(width, height));

        QCOMPARE(windowRect(f.Panel1), QRectF(0, 0, width, 57));
        QCOMPARE(windowRect(f.Button1), QRectF(0, 0, 105, 57));
        QCOMPARE(f.ArcDial1->Position.Point(), QPointF(dialX, 0));
        QCOMPARE(f.ArcDial1->Width(), 64.0f);
        QCOMPARE(f.ArcDial1->Height(), 57.0f);
        QCOMPARE(windowRect(f.SpinBox2), QRectF(spinX, 0, 100, 57));
        QCOMPARE(windowRect(f.Switch1), QRectF(switchX, 0, 78, 57));
        QCOMPARE(windowRect(f.Image1), QRectF(0, 57, width, imageHeight));
        // The marker keeps its window position whatever the size.
        QCOMPARE(f.Ellipse1->Position.Point(), QPointF(136, 240));
        // The right-hand group is stacked above the buttons where they meet.
        QVERIFY(f.SpinBox2->zValue() == f.Button1->zValue());
        QVERIFY(f.Panel1->childItems().indexOf(f.SpinBox2) >
                f.Panel1->childItems().indexOf(f.Button1));
    }

    // Each of the three looks, as the window draws it.
    void renderedWindow_data() {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<QColor>("background");
        QTest::addColumn<QColor>("stripFill");
        QTest::addColumn<QColor>("stripOutline");
        const QColor f0(0xF0, 0xF0, 0xF0), f4(0xF4, 0xF4, 0xF4);
        QTest::newRow("win10style") << 10 << 0 << f0 << f0 << QColor(0xCC, 0xCC, 0xCC);
        QTest::newRow("win8style") << 6 << 3 << f0 << f0 << QColor(0x97, 0x97, 0x97);
        QTest::newRow("win7style") << 6 << 1 << f4 << f4 << QColor(0x97, 0x97, 0x97);
    }
    void renderedWindow() {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(QColor, background);
        QFETCH(QColor, stripFill);
        QFETCH(QColor, stripOutline);
        initApplicationForTests();
        const TPlatformStyle& previous = TPlatformStyle::Current();
        TPlatformStyle::Select(TPlatformStyle::ForWindowsVersion(major, minor));
        const auto restore = qScopeGuard([&] { TPlatformStyle::Select(previous); });
        TestWindow w;
        const QImage shot = w.form().View()->grab().toImage();
        QCOMPARE(shot.size(), QSize(640, 480));
        // Marker: opaque red at its centre, black outline at its tip.
        QCOMPARE(QColor(shot.pixel(140, 251)), QColor(0xF4, 0x2E, 0x2E));
        QVERIFY(qGray(shot.pixel(140, 240)) < 80);
        // Strip: fill and 1-pixel outline of the look.
        QCOMPARE(QColor(shot.pixel(300, 30)), stripFill);
        QCOMPARE(QColor(shot.pixel(300, 0)), stripOutline);
        QCOMPARE(QColor(shot.pixel(300, 56)), stripOutline);
        // Chart fitted 82 pixels below the strip: the band above shows the
        // window's background, the chart starts at y = 57 + 82.
        QCOMPARE(QColor(shot.pixel(320, 138)), background);
        int chartPixels = 0;
        for (int x = 0; x < 640; x += 8) chartPixels += QColor(shot.pixel(x, 139)) != background;
        QVERIFY2(chartPixels > 60, "the chart's first row is where the fit puts it");
        QCOMPARE(QColor(shot.pixel(320, 57 + 82 + 258)), background);
    }

    // The window leaves its background unfilled only under a picture that
    // covers it with opaque pixels: through a translucent one it shows.
    void backgroundShowsThroughTranslucentPictures_data() {
        QTest::addColumn<QColor>("pixel");
        QTest::addColumn<QColor>("shown");
        QTest::newRow("opaque") << QColor(0x20, 0x40, 0x80) << QColor(0x20, 0x40, 0x80);
        QTest::newRow("transparent") << QColor(0, 0, 0, 0) << QColor(0xF0, 0xF0, 0xF0);
        QTest::newRow("one pixel translucent") << QColor(0x20, 0x40, 0x80) << QColor();
    }
    void backgroundShowsThroughTranslucentPictures() {
        QFETCH(QColor, pixel);
        QFETCH(QColor, shown);
        TestWindow w;
        QImage picture(64, 32, QImage::Format_ARGB32_Premultiplied);
        picture.fill(pixel);
        // A single translucent pixel, far from where the checks look.
        if (!shown.isValid()) picture.setPixel(0, 0, qRgba(0, 0, 0, 0));
        w.form().Image1->Bitmap().SetImage(picture);
        const QImage shot = w.form().View()->grab().toImage();
        const QColor background(0xF0, 0xF0, 0xF0);
        // The bands beside the picture, and its middle.
        QCOMPARE(QColor(shot.pixel(320, 60)), background);
        QCOMPARE(QColor(shot.pixel(320, 475)), background);
        QCOMPARE(QColor(shot.pixel(400, 300)), shown.isValid() ? shown : pixel);
    }

    void tabMovesTheFocusInTabOrder() {
        TestWindow w;
        TForm1& f = w.form();
        // Switch1 (0), Button1 (1), SpinBox2 (3); Button3 is hidden and the
        // dial never takes the focus.
        const std::vector<TControl*> order{f.Switch1, f.Button1, f.SpinBox2, f.Switch1};
        for (TControl* expected : order) {
            w.key(Qt::Key_Tab);
            QCOMPARE(f.Focused(), expected);
        }
        w.key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(f.Focused(), f.SpinBox2);
        w.key(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(f.Focused(), f.Button1);
    }

    void focusedButtonClicksOnEnterAndSpace_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("clicks");
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << 1;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 1;
        QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier) << 1;
        QTest::newRow("Shift+Space") << int(Qt::Key_Space) << int(Qt::ShiftModifier) << 0;
        QTest::newRow("a letter") << int(Qt::Key_A) << int(Qt::NoModifier) << 0;
    }
    void focusedButtonClicksOnEnterAndSpace() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, clicks);
        TestWindow w;
        TForm1& f = w.form();
        int clicked = 0;
        f.Button1->OnClick = [&](TObject*) { ++clicked; };
        f.Button1->SetFocus();
        w.key(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(clicked, clicks);
    }

    void buttonClicksOnReleaseOverIt() {
        TestWindow w;
        TForm1& f = w.form();
        int clicked = 0;
        f.Button1->OnClick = [&](TObject*) { ++clicked; };
        w.press(QPoint(50, 28));
        QCOMPARE(f.Focused(), f.Button1);  // the press focuses before anything else
        QVERIFY(f.Button1->IsPressed());
        w.move(QPoint(300, 28));
        QVERIFY(!f.Button1->IsPressed());
        w.release(QPoint(300, 28));
        QCOMPARE(clicked, 0);
        w.click(QPoint(50, 28), Qt::RightButton);
        QCOMPARE(clicked, 0);
        w.click(QPoint(50, 28));
        QCOMPARE(clicked, 1);
    }

    void pointerPositionsAreWholeLogicalPixels_data() {
        QTest::addColumn<QPointF>("position");
        QTest::addColumn<QPointF>("rounded");
        QTest::newRow("halves go to even") << QPointF(2.5, 3.5) << QPointF(2, 4);
        QTest::newRow("fractions") << QPointF(10.49, 10.51) << QPointF(10, 11);
        QTest::newRow("negative half") << QPointF(-0.5, -1.5) << QPointF(0, -2);
    }
    void pointerPositionsAreWholeLogicalPixels() {
        QFETCH(QPointF, position);
        QFETCH(QPointF, rounded);
        QCOMPARE(TFormView::RoundToLogicalPixels(position), rounded);
    }

    void applicationIdentity() {
        initApplicationForTests();
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Tidemark"));
        QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.0.0.0"));
        // The icon comes once a window has shown its first frame.
        TestWindow w;
        QTRY_VERIFY(!QGuiApplication::windowIcon().isNull());
        QCOMPARE(w.form().View()->windowIcon().cacheKey(),
                 QGuiApplication::windowIcon().cacheKey());
        const QList<QSize> sizes = QGuiApplication::windowIcon().availableSizes();
        for (int size : {16, 24, 32, 48, 256}) QVERIFY(sizes.contains(QSize(size, size)));
    }

    void lookIsChosenFromTheSystemVersion_data() {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<QString>("look");
        QTest::newRow("10") << 10 << 0 << "win10style";
        QTest::newRow("11") << 11 << 0 << "win10style";
        QTest::newRow("8.1") << 6 << 3 << "win8style";
        QTest::newRow("8") << 6 << 2 << "win8style";
        QTest::newRow("7") << 6 << 1 << "win7style";
    }
    void lookIsChosenFromTheSystemVersion() {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(QString, look);
        QCOMPARE(TPlatformStyle::ForWindowsVersion(major, minor).Name, look);
#ifndef Q_OS_WIN
        // Systems without these looks get the newest.
        QCOMPARE(TPlatformStyle::ForThisSystem().Name, QStringLiteral("win10style"));
#endif
    }

    // The system's file dialog is a COM object: the UI thread must be in a
    // single-threaded apartment once the application is initialised, even
    // on a platform plugin that doesn't join one (the tests' offscreen one).
    void uiThreadIsInASingleThreadedApartment() {
#ifndef Q_OS_WIN
        QSKIP("COM apartments are Windows's");
#else
        initApplicationForTests();
        APTTYPE type{};
        APTTYPEQUALIFIER qualifier{};
        QCOMPARE(CoGetApartmentType(&type, &qualifier), S_OK);
        QVERIFY2(type == APTTYPE_STA || type == APTTYPE_MAINSTA, qPrintable(QString::number(type)));
        // Asking for another kind of apartment on this thread is refused.
        const HRESULT again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(again)) CoUninitialize();
        QCOMPARE(again, RPC_E_CHANGED_MODE);
#endif
    }

    void closingEndsTheProgram() {
        initApplicationForTests();
        u = 0;
        Application->CreateForm(Form1);
        int steps = 0;
        QTimer::singleShot(0, [&] {
            Form1->Timer1->SetInterval(20);
            Form1->Timer1->OnTimer = [&](TObject*) {
                if (++steps == 3) Form1->Close();
            };
            Form1->Switch1->SetIsChecked(true);
        });
        Application->Run();
        QCOMPARE(Application->ExitCode(), 0);
        QCOMPARE(steps, 3);
        QCOMPARE(Application->MainForm(), nullptr);
        QTest::qWait(100);
        QCOMPARE(steps, 3);
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
