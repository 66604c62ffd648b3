#pragma once

// How a decoder's try at a picture file ended, which decides what happens
// next: a picture, the next decoder's turn, or nothing at all.
enum class DecodeOutcome {
    Decoded,   // the picture is there
    Declined,  // a file or variant this decoder leaves to the next; nothing was decided
    Failed,    // corrupt or cut short, as decoding found
    // Never decoded: the file declares more than may be decoded, or mustn't
    // reach its decoder at all (cut short where that would take it for
    // whole, or naming other files).
    Refused,
};
