#include "TLoadProgress.h"

#include <QCursor>
#include <QGuiApplication>
#include <algorithm>

TLoadProgress::TLoadProgress(TShow show) : show_(std::move(show)) {
    clock_.start();
}

TLoadProgress::~TLoadProgress() {
    if (lastShown_ < 0) return;
    QGuiApplication::restoreOverrideCursor();
    try {
        if (show_) show_(-1);
    } catch (...) {
        // Only the indicator stays behind; the load's own outcome matters more.
    }
}

bool TLoadProgress::Due(qint64 elapsed, qint64 lastShown, bool atEnd) {
    if (lastShown < 0) return elapsed >= DelayMs;
    return atEnd || elapsed - lastShown >= IntervalMs;
}

double TLoadProgress::Fraction(qint64 done, qint64 total) {
    if (total <= 0 || done <= 0) return 0;
    return std::min(1.0, double(done) / double(total));
}

void TLoadProgress::Report(qint64 done, qint64 total) noexcept {
    const qint64 elapsed = clock_.elapsed();
    if (!Due(elapsed, lastShown_, total > 0 && done >= total)) return;
    // Reports come from inside the decoders' C code, which nothing may
    // unwind through; a failure to show one only leaves it unshown.
    try {
        // Nothing takes input until the load is over; the pointer says so.
        if (lastShown_ < 0) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        lastShown_ = elapsed;
        if (show_) show_(Fraction(done, total));
    } catch (...) {
    }
}
