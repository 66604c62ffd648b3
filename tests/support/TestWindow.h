#pragma once

#include <QPoint>
#include <functional>
#include <vector>

#include "Unit1.h"
#include "framework/window/TMessageBoxRequest.h"

class QWidget;

// The real main window, shown offscreen and active, with the error box
// intercepted so no test ever blocks on a modal dialog.
class TestWindow {
public:
    TestWindow();
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    TForm1& form() const { return *Form1; }
    QWidget* viewport() const;

    // Pointer input at window (client) coordinates, through the platform
    // like real input.
    void press(QPoint at, Qt::MouseButton button = Qt::LeftButton);
    void move(QPoint at);
    void release(QPoint at, Qt::MouseButton button = Qt::LeftButton);
    void click(QPoint at, Qt::MouseButton button = Qt::LeftButton);
    void doubleClick(QPoint at);
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    // Error boxes the application asked for.
    std::vector<TMessageBoxRequest> boxes;

private:
    std::function<void(const TMessageBoxRequest&)> previousPresenter_;
};

// The program's application set-up, once per test process.
void initApplicationForTests();
