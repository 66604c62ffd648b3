#pragma once

#include <QByteArray>
#include <memory>

#include "TestWindow.h"

// Opening the main window costs about a second, so tests that only need one
// at rest share it: the rows of one test function, or a group of functions.
// Only one window lives at a time.
class SharedWindow {
public:
    // The group's window, opened on first use.
    TestWindow& For(const QByteArray& group);
    // Closes a window another group opened; from init(), so that it goes
    // before the next test function starts.
    void KeepOnlyFor(const QByteArray& group);
    void Close() { window_.reset(); }

private:
    std::unique_ptr<TestWindow> window_;
    QByteArray group_;
};
