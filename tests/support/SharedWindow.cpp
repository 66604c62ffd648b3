#include "SharedWindow.h"

TestWindow& SharedWindow::For(const QByteArray& group) {
    KeepOnlyFor(group);
    if (!window_) {
        window_ = std::make_unique<TestWindow>();
        group_ = group;
    }
    return *window_;
}

void SharedWindow::KeepOnlyFor(const QByteArray& group) {
    if (window_ && group_ != group) window_.reset();
}
