#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <optional>

#include "PictureFiles.h"
#include "ProcessMemory.h"
#include "TestWindow.h"
#include "framework/core/Exception.h"
#include "framework/window/TApplication.h"
#include "framework/window/TFormView.h"

using namespace PictureFiles;

namespace {

const QPoint kOpenButton(50, 28);
const QString kRefusal = QStringLiteral("Monkey says no.");

double mebibytes(qint64 bytes) {
    return double(bytes) / (1 << 20);
}

// Memory at one moment of a run.
struct Snapshot {
    qint64 resident = ProcessMemory::Resident();
    qint64 heap = ProcessMemory::HeapInUse();
};

// What a run grew by between two snapshots, in the units the figures are
// given in, and whether that is flat.
struct Growth {
    Snapshot from, to;
    double Resident() const { return mebibytes(to.resident - from.resident); }
    double Heap() const { return mebibytes(to.heap - from.heap); }
    QString Describe(const char* what) const {
        return QStringLiteral("%1: resident %2 -> %3 MiB (%4), heap in use %5 -> %6 MiB (%7)")
            .arg(QLatin1String(what))
            .arg(mebibytes(from.resident), 0, 'f', 1)
            .arg(mebibytes(to.resident), 0, 'f', 1)
            .arg(Resident(), 0, 'f', 1)
            .arg(mebibytes(from.heap), 0, 'f', 1)
            .arg(mebibytes(to.heap), 0, 'f', 1)
            .arg(Heap(), 0, 'f', 1);
    }
    // The heap must come back to where it was; resident memory too, except
    // under the sanitizer, whose quarantine keeps freed memory resident.
    bool Flat(double allowedMiB) const {
        return Heap() < allowedMiB && (ProcessMemory::Sanitized() || Resident() < allowedMiB);
    }
};

// Answers the open dialog with whatever the test set last.
struct ChooserScope {
    std::optional<QString> answer;
    TOpenDialog::TChooser previous = TOpenDialog::Chooser();
    ChooserScope() {
        TOpenDialog::Chooser() = [this](QWidget*, const QString&) { return answer; };
    }
    ~ChooserScope() { TOpenDialog::Chooser() = previous; }
};

// Random input on every part of the window, from a fixed seed, and the
// window's handlers failing now and then on top of doing their work.
class Monkey {
public:
    Monkey(TestWindow& window, ChooserScope& chooser, quint32 seed)
        : w_(window), f_(window.form()), chooser_(chooser), random_(seed) {
        QDir hostile(DataDir() + QStringLiteral("/hostile"));
        for (const QString& name : hostile.entryList(QDir::Files, QDir::Name))
            pictures_ << hostile.filePath(name);
        pictures_ << DataDir() + QStringLiteral("/gamma-0.4.png")
                  << DataDir() + QStringLiteral("/first-frame.gif")
                  << DataDir() + QStringLiteral("/does-not-exist.png");
        Refusing(f_.ArcDial1->OnChange);
        Refusing(f_.Switch1->OnSwitch);
        Refusing(f_.Timer1->OnTimer);
        const TMouseEvent place = f_.Image1->OnMouseDown;
        f_.Image1->OnMouseDown = [this, place](TObject* s, TMouseButton b, TShiftState sh, float x,
                                               float y) {
            place(s, b, sh, x, y);
            MaybeRefuse();
        };
    }

    int refusals = 0;
    int ticks = 0;

    // One thing a user does, then a tick of the voyage if it runs, as the
    // timer would bring it in the meantime.
    void Act() {
        switch (random_.bounded(12)) {
            case 0:
            case 1:
                w_.click(Somewhere(), Button());
                break;
            case 2:
                w_.doubleClick(Somewhere());
                break;
            case 3:
            case 4:
                Drag();
                break;
            case 5:
                Wheel();
                break;
            case 6:
            case 7:
                Key();
                break;
            case 8:
                Type(Text());
                break;
            case 9:
                OpenPicture();
                break;
            case 10:
                if (random_.bounded(8) == 0)
                    Resize();
                else
                    w_.click(Inside(f_.Switch1));
                break;
            case 11:
                QGuiApplication::clipboard()->setText(Text());
                w_.key(Qt::Key_V, Qt::ControlModifier);
                break;
        }
        if (f_.Timer1->Enabled()) Tick();
    }

    void Tick() {
        ++ticks;
        // As TTimer calls it.
        Application->Guard([this] { f_.Timer1->OnTimer(f_.Timer1); });
    }

private:
    void Refusing(TNotifyEvent& event) {
        const TNotifyEvent handler = event;
        event = [this, handler](TObject* sender) {
            handler(sender);
            MaybeRefuse();
        };
    }
    void MaybeRefuse() {
        if (random_.bounded(40) != 0) return;
        ++refusals;
        throw Exception(QStringLiteral("Monkey says no"));
    }

    QPoint Inside(const TControl* control) {
        const QRectF r = control->sceneBoundingRect();
        return QPoint(int(r.left() + random_.bounded(std::max(1.0, r.width()))),
                      int(r.top() + random_.bounded(std::max(1.0, r.height()))));
    }
    QPoint Somewhere() {
        const TControl* targets[] = {f_.Button1, f_.ArcDial1, f_.SpinBox2,
                                     f_.Switch1, f_.Image1,   f_.Ellipse1};
        const int pick = int(random_.bounded(int(std::size(targets)) + 1));
        if (pick < int(std::size(targets))) return Inside(targets[pick]);
        const QSize size = w_.viewport()->size();
        return QPoint(int(random_.bounded(size.width() + 1)),
                      int(random_.bounded(size.height() + 1)));
    }
    Qt::MouseButton Button() {
        static const Qt::MouseButton kButtons[] = {Qt::LeftButton, Qt::LeftButton, Qt::LeftButton,
                                                   Qt::RightButton, Qt::MiddleButton};
        return kButtons[random_.bounded(int(std::size(kButtons)))];
    }
    void Drag() {
        const Qt::MouseButton button = Button();
        w_.press(Somewhere(), button);
        for (int n = int(random_.bounded(1, 8)); n > 0; --n) {
            // Now and then well outside the window, where the grab still holds.
            const QPoint at = random_.bounded(6) == 0 ? QPoint(int(random_.bounded(-400, 1200)),
                                                               int(random_.bounded(-400, 1000)))
                                                      : Somewhere();
            QMouseEvent move(QEvent::MouseMove, at, w_.viewport()->mapToGlobal(at), Qt::NoButton,
                             button, Qt::NoModifier);
            QApplication::sendEvent(w_.viewport(), &move);
        }
        w_.release(Somewhere(), button);
    }
    void Wheel() {
        const QPoint at = Somewhere();
        const int delta = int(random_.bounded(-3, 4)) * 40;
        QWheelEvent event(QPointF(at), QPointF(w_.viewport()->mapToGlobal(at)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w_.viewport(), &event);
    }
    void Key() {
        static const Qt::Key kKeys[] = {
            Qt::Key_0,      Qt::Key_5,         Qt::Key_9,      Qt::Key_Minus,  Qt::Key_Plus,
            Qt::Key_Period, Qt::Key_A,         Qt::Key_Space,  Qt::Key_Return, Qt::Key_Enter,
            Qt::Key_Escape, Qt::Key_Up,        Qt::Key_Down,   Qt::Key_PageUp, Qt::Key_PageDown,
            Qt::Key_Tab,    Qt::Key_Backtab,   Qt::Key_Left,   Qt::Key_Right,  Qt::Key_Home,
            Qt::Key_End,    Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Z,      Qt::Key_X};
        static const Qt::KeyboardModifiers kModifiers[] = {
            Qt::NoModifier,    Qt::NoModifier,      Qt::NoModifier,
            Qt::ShiftModifier, Qt::ControlModifier, Qt::ControlModifier | Qt::ShiftModifier,
            Qt::AltModifier};
        w_.key(kKeys[random_.bounded(int(std::size(kKeys)))],
               kModifiers[random_.bounded(int(std::size(kModifiers)))]);
    }
    // Characters as an input method sends them, whatever the key.
    void Type(const QString& text) {
        for (QChar c : text) {
            const bool ascii = c.unicode() > 32 && c.unicode() < 127;
            const Qt::Key key = ascii ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
            QTest::sendKeyEvent(QTest::Press, f_.View(), key, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, f_.View(), key, QString(c), Qt::NoModifier);
        }
    }
    QString Text() {
        static const char16_t kCharacters[] = u"0123456789+-.,  \t\u00A0abcXYZ\u2019\u0416";
        QString text;
        for (int n = int(random_.bounded(0, 6)); n > 0; --n)
            text += QChar(kCharacters[random_.bounded(int(std::size(kCharacters)) - 1)]);
        return text;
    }
    void OpenPicture() {
        if (random_.bounded(5) == 0)
            chooser_.answer.reset();  // cancelled
        else
            chooser_.answer = pictures_[random_.bounded(int(pictures_.size()))];
        w_.click(kOpenButton);
    }
    void Resize() {
        f_.View()->resize(int(random_.bounded(200, 1000)), int(random_.bounded(60, 700)));
    }

    TestWindow& w_;
    TForm1& f_;
    ChooserScope& chooser_;
    QRandomGenerator random_;
    QStringList pictures_;
};

// What must hold after anything at all.
void checkInvariants(TForm1& f) {
    QCOMPARE(f.Timer1->Enabled(), f.Switch1->IsChecked());
    const float speed = f.SpinBox2->Value();
    QVERIFY2(speed >= 1 && speed <= 10 && speed == std::nearbyint(speed),
             qPrintable(QString::number(speed)));
    const float dial = f.ArcDial1->Value();
    QVERIFY2(dial > -180 && dial <= 180, qPrintable(QString::number(dial)));
    QVERIFY2(u >= 0 && u < 360, qPrintable(QString::number(u)));
    QVERIFY(std::isfinite(f.Ellipse1->Position.X()) && std::isfinite(f.Ellipse1->Position.Y()));
    QVERIFY(!f.Image1->Bitmap().IsEmpty());
}

}  // namespace

// The window over a long time: an hour of voyage steps among thousands of
// random clicks, drags, keys and wheel turns on every control, with
// handlers failing now and then; then a hundred pictures loaded in a row.
// Neither may crash, leave the voyage stopped, or make memory grow.
class LongVoyageTest : public QObject {
    Q_OBJECT

private slots:
    void hourOfMonkeyVoyage() {
        TestWindow w;
        TForm1& f = w.form();
        ChooserScope chooser;
        Monkey monkey(w, chooser, 20261210);
        // The picture in place at every measurement, so that they compare.
        const QString reference = DataDir() + QStringLiteral("/gamma-0.4.png");
        auto measure = [&] {
            chooser.answer = reference;
            w.click(kOpenButton);
            QCoreApplication::processEvents();
            return Snapshot();
        };

        // Ticks of the one-second timer; a longer soak is one variable away.
        const int hours = std::max(1, qEnvironmentVariableIntValue("TIDEMARK_VOYAGE_HOURS"));
        const int voyageTicks = 3600 * hours;
        const int warmUpTicks = 360;
        int actions = 0;
        Growth growth;
        bool warm = false;
        while (monkey.ticks < voyageTicks) {
            if (!warm && monkey.ticks >= warmUpTicks) {
                growth.from = measure();
                warm = true;
            }
            monkey.Act();
            ++actions;
            // Painting and queued work happen between inputs, as in the
            // event loop.
            if (actions % 16 == 0) QCoreApplication::processEvents();
            checkInvariants(f);
            if (QTest::currentTestFailed()) {
                qWarning("after %d actions and %d ticks", actions, monkey.ticks);
                return;
            }
        }
        growth.to = measure();

        int refusals = 0;
        for (const TMessageBoxRequest& box : w.boxes) {
            if (box.Text == kRefusal)
                ++refusals;
            else
                QVERIFY2(box.Text.startsWith(QStringLiteral("Loading bitmap failed (")) ||
                             box.Text.startsWith(QStringLiteral("Cannot open file \"")),
                         qPrintable(box.Text));
        }
        QCOMPARE(refusals, monkey.refusals);
        qInfo("%d actions, %d ticks, %d error boxes (%d refusals)", actions, monkey.ticks,
              int(w.boxes.size()), refusals);
        qInfo("%s", qPrintable(growth.Describe("after warm-up to the end")));
        QVERIFY2(growth.Flat(8), qPrintable(growth.Describe("grew")));

        // Still steering: on, a step, and the ship moves by its speed.
        if (!f.Switch1->IsChecked()) f.Switch1->SetIsChecked(true);
        QVERIFY(f.Timer1->Enabled());
        const QPointF before = f.Ellipse1->Position.Point();
        monkey.Tick();
        const QPointF moved = f.Ellipse1->Position.Point() - before;
        QVERIFY(std::abs(std::hypot(moved.x(), moved.y()) - f.SpinBox2->Value()) < 1e-3 ||
                w.boxes.back().Text == kRefusal);
    }

    void hundredPicturesInARow() {
        TestWindow w;
        TForm1& f = w.form();
        ChooserScope chooser;
        QTemporaryDir dir;
        // Two pictures of 1600 x 1200 (7.3 MiB each decoded), in turn, so
        // that every load replaces the picture.
        const QString a = dir.filePath(QStringLiteral("a.png"));
        const QString b = dir.filePath(QStringLiteral("b.jpg"));
        QVERIFY(Write(a, Halves(QSize(1600, 1200)), "png"));
        QVERIFY(Write(b, Halves(QSize(1600, 1200)), "jpeg"));
        auto load = [&](int i) {
            chooser.answer = i % 2 ? b : a;
            w.click(kOpenButton);
            QCoreApplication::processEvents();  // paints the new picture
        };
        constexpr int kWarmUp = 10;
        Growth growth;
        for (int i = 0; i < 100; ++i) {
            if (i == kWarmUp) growth.from = Snapshot();
            load(i);
            if (!w.boxes.empty()) QFAIL(qPrintable(w.boxes.back().Text));
            QCOMPARE(f.Image1->Bitmap().Image().size(), QSize(1600, 1200));
        }
        growth.to = Snapshot();
        qInfo("%s", qPrintable(growth.Describe("loads 10 to 100")));
        QVERIFY2(growth.Flat(8), qPrintable(growth.Describe("grew")));
    }
};

QTEST_MAIN(LongVoyageTest)
#include "tst_longvoyage.moc"
