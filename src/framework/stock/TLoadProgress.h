#pragma once

#include <QElapsedTimer>
#include <QtGlobal>
#include <functional>

// How a long load of a picture file shows itself: not at all for its first
// half second, then with a busy pointer and, through the picture's view, how
// far reading the file has come, shown again as it advances but at most every
// 40 ms, so that showing it costs the load little. All of it goes when the
// load ends, however it ends. The load runs on the UI thread with no event
// loop: nothing else happens meanwhile.
class TLoadProgress {
public:
    // How long a load goes unshown; tests shorten it.
    static inline qint64 DelayMs = 500;
    static constexpr qint64 IntervalMs = 40;

    // Shows a fraction from 0 to 1; a negative one says the load is over.
    using TShow = std::function<void(double fraction)>;

    explicit TLoadProgress(TShow show);
    ~TLoadProgress();
    TLoadProgress(const TLoadProgress&) = delete;
    TLoadProgress& operator=(const TLoadProgress&) = delete;

    // Reading has reached `done` of `total` bytes (total -1 when unknown).
    void Report(qint64 done, qint64 total) noexcept;

    // Whether a report `elapsed` ms into the load is shown, the last one
    // shown at `lastShown` ms (-1 when none was); once shown, the end of the
    // reading always is.
    static bool Due(qint64 elapsed, qint64 lastShown, bool atEnd);
    // The fraction shown for `done` of `total`; 0 when the total is unknown.
    static double Fraction(qint64 done, qint64 total);

private:
    TShow show_;
    QElapsedTimer clock_;
    qint64 lastShown_ = -1;
};
