#include "TestWindow.h"

#include <QGraphicsView>
#include <QTest>

#include "ProgramIdentity.h"
#include "framework/window/TApplication.h"
#include "framework/window/TFormView.h"
#include "framework/window/TPlatformStyle.h"

void initApplicationForTests() {
    static bool done = false;
    if (done) return;
    done = true;
    ProgramIdentity::Apply();
    Application->Initialize();
    // The tests draw in the newest look wherever they run (Wine reports
    // Windows 7 unless told otherwise); those about the looks pick theirs.
    TPlatformStyle::Select(TPlatformStyle::ForWindowsVersion(10, 0));
}

TestWindow::TestWindow() {
    initApplicationForTests();
    u = 0;
    previousPresenter_ = Application->MessageBoxPresenter;
    Application->MessageBoxPresenter = [this](const TMessageBoxRequest& r) { boxes.push_back(r); };
    Form1 = new TForm1(Application);
    Form1->Show();
    QWidget* window = Form1->View();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window)) qWarning("the test window did not become active");
}

TestWindow::~TestWindow() {
    delete Form1;
    Form1 = nullptr;
    Application->MessageBoxPresenter = previousPresenter_;
}

QWidget* TestWindow::viewport() const {
    return Form1->View()->viewport();
}

void TestWindow::press(QPoint at, Qt::MouseButton button) {
    QTest::mousePress(viewport(), button, Qt::NoModifier, at);
}

void TestWindow::move(QPoint at) {
    QTest::mouseMove(viewport(), at);
}

void TestWindow::release(QPoint at, Qt::MouseButton button) {
    QTest::mouseRelease(viewport(), button, Qt::NoModifier, at);
}

void TestWindow::click(QPoint at, Qt::MouseButton button) {
    QTest::mouseClick(viewport(), button, Qt::NoModifier, at);
}

void TestWindow::doubleClick(QPoint at) {
    // What the platform sends for a double click: the second press comes as
    // a press, then as a double click.
    press(at);
    release(at);
    press(at);
    QTest::mouseDClick(viewport(), Qt::LeftButton, {}, at);
    release(at);
}

void TestWindow::key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(Form1->View(), key, modifiers);
}
