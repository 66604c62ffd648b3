#include <QTest>
#include <stdexcept>

#include "TestWindow.h"
#include "framework/core/Exception.h"
#include "framework/window/TApplication.h"
#include "framework/window/TFormView.h"

namespace {

std::exception_ptr wrapped(const QString& outer, const QString& inner) {
    return std::make_exception_ptr(Exception(outer, std::make_exception_ptr(Exception(inner))));
}

}  // namespace

// What the user reads when a handler fails, and that the program goes on.
class ErrorsTest : public QObject {
    Q_OBJECT

private slots:
    void messageText_data() {
        QTest::addColumn<std::exception_ptr>("error");
        QTest::addColumn<QString>("text");
        auto plain = [](const char* m) { return std::make_exception_ptr(Exception(m)); };
        QTest::newRow("letter gets a period") << plain("Disk full") << "Disk full.";
        QTest::newRow("period stays") << plain("Done.") << "Done.";
        QTest::newRow("empty stays empty") << plain("") << "";
        QTest::newRow("digit") << plain("Code 5") << "Code 5.";
        QTest::newRow("question mark") << plain("Why?") << "Why?.";
        QTest::newRow("colon") << plain("Reason:") << "Reason:.";
        QTest::newRow("exclamation") << plain("Stop!") << "Stop!";
        QTest::newRow("parenthesis")
            << plain("Loading bitmap failed (a.png)") << "Loading bitmap failed (a.png)";
        QTest::newRow("comma") << plain("a,") << "a,";
        QTest::newRow("space") << plain("a ") << "a ";
        QTest::newRow("other script")
            << std::make_exception_ptr(Exception(QStringLiteral("Ошибка")))
            << QStringLiteral("Ошибка.");
        QTest::newRow("innermost message wins") << wrapped("outer", "inner") << "inner.";
        QTest::newRow("empty innermost keeps outer") << wrapped("outer", "") << "outer.";
        QTest::newRow("standard exception")
            << std::make_exception_ptr(std::runtime_error("boom")) << "boom.";
    }
    void messageText() {
        QFETCH(std::exception_ptr, error);
        QFETCH(QString, text);
        const std::optional<QString> shown = TApplication::ErrorText(error);
        QVERIFY(shown.has_value());
        QCOMPARE(*shown, text);
    }

    void abortIsSilent() {
        QVERIFY(!TApplication::ErrorText(std::make_exception_ptr(EAbort())).has_value());
        TestWindow w;
        Application->Guard([] { throw EAbort(); });
        QVERIFY(w.boxes.empty());
    }

    void failingClickHandlerShowsTheBoxAndTheLoopGoesOn() {
        TestWindow w;
        TForm1& f = w.form();
        const TMouseEvent place = f.Image1->OnMouseDown;
        f.Image1->OnMouseDown = [&](TObject* s, TMouseButton b, TShiftState sh, float x, float y) {
            place(s, b, sh, x, y);
            throw Exception("Chart not ready");
        };
        w.click(QPoint(200, 200));
        QCOMPARE(w.boxes.size(), size_t(1));
        const TMessageBoxRequest& box = w.boxes.front();
        QCOMPARE(box.Caption, QStringLiteral("Error"));
        QCOMPARE(box.Text, QStringLiteral("Chart not ready."));
        QCOMPARE(box.Icon, QMessageBox::Critical);
        QCOMPARE(box.Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.Owner, static_cast<QWidget*>(f.View()));
        // The handler's work up to the failure stays done.
        QCOMPARE(f.Ellipse1->Position.Point(), QPointF(195.5, 189));
        w.click(QPoint(300, 300));
        QCOMPARE(w.boxes.size(), size_t(2));
        QCOMPARE(f.Ellipse1->Position.Point(), QPointF(295.5, 289));
    }

    void failingTimerHandlerLeavesTheVoyageRunning() {
        TestWindow w;
        TForm1& f = w.form();
        int ticks = 0;
        f.Timer1->SetInterval(20);
        f.Timer1->OnTimer = [&](TObject*) {
            ++ticks;
            throw std::runtime_error("tick failed");
        };
        f.Switch1->SetIsChecked(true);
        QTRY_VERIFY(ticks >= 3);
        QVERIFY(f.Timer1->Enabled());
        QCOMPARE(w.boxes.size(), size_t(ticks));
        QCOMPARE(w.boxes.back().Text, QStringLiteral("tick failed."));
    }

    void failingDialHandlerLeavesTheVoyageRunning() {
        TestWindow w;
        TForm1& f = w.form();
        const TNotifyEvent turn = f.ArcDial1->OnChange;
        f.ArcDial1->OnChange = [&](TObject* sender) {
            turn(sender);
            throw Exception("Heading not taken");
        };
        f.Switch1->SetIsChecked(true);
        // The dial's centre is at (430, 28.5); the pointer straight below it
        // means a heading of 180.
        w.press(QPoint(430, 28));
        w.move(QPoint(430, 60));
        w.release(QPoint(430, 60));
        QVERIFY(!w.boxes.empty());
        QCOMPARE(w.boxes.back().Text, QStringLiteral("Heading not taken."));
        QVERIFY(f.Timer1->Enabled());
        QCOMPARE(u, 180.0);
        const QPointF before = f.Ellipse1->Position.Point();
        f.Timer1->OnTimer(f.Timer1);
        QCOMPARE(f.Ellipse1->Position.Point() - before, QPointF(0, 10));
    }

    void failureDuringPaintIsReportedAfterThePaint() {
        TestWindow w;
        TForm1& f = w.form();
        bool reportedInsidePaint = false;
        Application->MessageBoxPresenter = [&](const TMessageBoxRequest& r) {
            reportedInsidePaint = TApplication::PaintScope::Active();
            w.boxes.push_back(r);
        };
        {
            TApplication::PaintScope painting;
            Application->Guard([] { throw Exception("paint failed"); });
        }
        QVERIFY(w.boxes.empty());
        QTRY_COMPARE(w.boxes.size(), size_t(1));
        QVERIFY(!reportedInsidePaint);
        QVERIFY(f.View()->isVisible());
    }
};

QTEST_MAIN(ErrorsTest)
#include "tst_errors.moc"
