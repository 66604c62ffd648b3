#pragma once

#include <QImage>

#include "DecodeOutcome.h"

// What a streaming decoder made of a picture file.
struct StreamOutcome {
    DecodeOutcome status = DecodeOutcome::Failed;
    QImage image;  // the finished picture when Decoded

    static StreamOutcome Fail() { return {}; }
    static StreamOutcome Decline() { return {DecodeOutcome::Declined, {}}; }
    static StreamOutcome Refuse() { return {DecodeOutcome::Refused, {}}; }
    static StreamOutcome Done(QImage picture) {
        return picture.isNull() ? Fail()
                                : StreamOutcome{DecodeOutcome::Decoded, std::move(picture)};
    }
};
