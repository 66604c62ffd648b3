#pragma once

#include <QByteArray>
#include <QImage>
#include <atomic>
#include <exception>
#include <memory>
#include <thread>

// Decodes a picture stored with a window on worker threads from the moment
// it is set, so that its first use finds the pixels ready, or nearly: the
// window is built meanwhile. Only pictures SegmentedPngDecoder takes go this
// way.
class BackgroundDecode {
public:
    // A decode of these bytes, started at once on up to `threads` threads (0
    // for one a core), when they are laid out for it; otherwise none, and
    // the picture is decoded the usual way at its first use.
    static std::unique_ptr<BackgroundDecode> Start(QByteArray bytes, int threads = 0);

    explicit BackgroundDecode(QByteArray bytes, int threads = 0);
    // Stops the workers early, and waits for them.
    ~BackgroundDecode();
    BackgroundDecode(const BackgroundDecode&) = delete;
    BackgroundDecode& operator=(const BackgroundDecode&) = delete;

    // Waits for the workers and hands over the picture: null when they failed
    // for any reason, which the caller answers with the general decoder.
    // `opaque`, when given, tells whether every pixel is fully opaque.
    QImage Take(bool* opaque = nullptr);

private:
    void Join();

    QByteArray bytes_;
    std::atomic<bool> cancel_{false};
    QImage image_;
    bool opaque_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};
