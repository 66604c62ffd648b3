#pragma once

#include <QImage>

// What a streaming decoder made of a picture file.
struct StreamOutcome {
    enum class Status {
        Decoded,   // image holds the finished picture
        Declined,  // a variant it leaves to the image readers; nothing was decided
        Failed,    // corrupt, truncated, or declaring more than it may
    };
    Status status = Status::Failed;
    QImage image;

    static StreamOutcome Fail() { return {}; }
    static StreamOutcome Decline() { return {Status::Declined, {}}; }
    static StreamOutcome Done(QImage picture) {
        return picture.isNull() ? Fail() : StreamOutcome{Status::Decoded, std::move(picture)};
    }
};
