#include "BenchWindow.h"

#include <QApplication>
#include <QBackingStore>
#include <QGraphicsView>
#include <QTest>

#include "ProgramIdentity.h"
#include "Unit1.h"
#include "framework/window/TApplication.h"
#include "framework/window/TFormView.h"

namespace {

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

}  // namespace

BenchWindow::BenchWindow() {
    static bool initialised = false;
    if (!initialised) {
        ProgramIdentity::Apply();
        Application->Initialize();
    }
    initialised = true;
    Form1 = new TForm1(Application);
    Form1->Show();
    if (!QTest::qWaitForWindowExposed(Form1->View())) qWarning("the window was not shown");
    Settle();
    // The chart is decoded by its first paint; make sure it has been.
    Form1->Image1->Bitmap();
    Settle();
}

BenchWindow::~BenchWindow() {
    delete Form1;
    Form1 = nullptr;
}

TForm1& BenchWindow::Form() const {
    return *Form1;
}

QWidget* BenchWindow::Viewport() const {
    return Form1->View()->viewport();
}

void BenchWindow::SetChartViewSize(int width, int height) {
    Form1->SetClientSize(width, height + int(Form1->Panel1->Height()));
    Settle();
    Viewport()->repaint();
    Settle();
}

QRect BenchWindow::ChartViewRect() const {
    return Form1->Image1->sceneBoundingRect().toAlignedRect();
}

QImage::Format BenchWindow::BackingFormat() const {
    QBackingStore* store = Form1->View()->backingStore();
    if (auto* image = store ? dynamic_cast<QImage*>(store->paintDevice()) : nullptr)
        return image->format();
    return QImage::Format_ARGB32_Premultiplied;
}
