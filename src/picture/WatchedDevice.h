#pragma once

#include <QIODevice>
#include <functional>

// A device read through another, telling after each read how far into it the
// reading has come. Every decoder reads its file front to back, so this is
// how far a decode has come, whichever decoder it is.
class WatchedDevice : public QIODevice {
public:
    // Told the position reached and the size, -1 when unknown.
    using TWatcher = std::function<void(qint64 position, qint64 size)>;

    // Opened for reading at the other device's position, which it shares.
    WatchedDevice(QIODevice& inner, TWatcher watcher);

    bool isSequential() const override { return inner_.isSequential(); }
    qint64 size() const override { return inner_.size(); }
    bool seek(qint64 position) override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& inner_;
    TWatcher watcher_;
};
