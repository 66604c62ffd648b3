#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Inflates one zlib stream as its bytes come, checksum included: through
// ISA-L where the build has it (about twice zlib's speed on pictures), else
// through zlib, which can also be asked for by name.
class StreamInflater {
public:
    enum class Engine { Fastest, Zlib };
    enum class Result {
        Going,    // took what it could: wants more input or more room
        Ended,    // the stream's end and its checksum, both right
        Refused,  // data this engine won't inflate: corrupt, or not for it
    };

    explicit StreamInflater(Engine engine = Engine::Fastest);
    ~StreamInflater();
    StreamInflater(const StreamInflater&) = delete;
    StreamInflater& operator=(const StreamInflater&) = delete;

    bool IsReady() const;
    // The engine that does the work: "ISA-L" or "zlib".
    const char* Name() const;
    static bool HasFastEngine();

    // Inflates from in into out, moving both on past what was taken and
    // written.
    Result Inflate(const std::uint8_t*& in, std::size_t& inSize, std::uint8_t*& out,
                   std::size_t& outSize);

private:
    struct State;
    std::unique_ptr<State> state_;
};
