#include "StreamInflater.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <new>

#if defined(TIDEMARK_HAVE_ISAL)
#include <isa-l/igzip_lib.h>
#endif

namespace {

// Both engines count in 32 bits.
constexpr std::size_t kMostAtOnce = std::size_t(1) << 30;

}  // namespace

struct StreamInflater::State {
    bool zlib = true;
    bool ready = false;
    z_stream z{};
#if defined(TIDEMARK_HAVE_ISAL)
    inflate_state isal{};
#endif

    ~State() {
        if (zlib && ready) inflateEnd(&z);
    }
};

StreamInflater::StreamInflater(Engine engine) : state_(new (std::nothrow) State) {
    if (!state_) return;
#if defined(TIDEMARK_HAVE_ISAL)
    if (engine == Engine::Fastest) {
        state_->zlib = false;
        isal_inflate_init(&state_->isal);
        state_->isal.crc_flag = ISAL_ZLIB;
        state_->ready = true;
        return;
    }
#else
    (void)engine;
#endif
    state_->ready = inflateInit(&state_->z) == Z_OK;
}

StreamInflater::~StreamInflater() = default;

bool StreamInflater::IsReady() const {
    return state_ && state_->ready;
}

const char* StreamInflater::Name() const {
    return state_ && !state_->zlib ? "ISA-L" : "zlib";
}

bool StreamInflater::HasFastEngine() {
#if defined(TIDEMARK_HAVE_ISAL)
    return true;
#else
    return false;
#endif
}

StreamInflater::Result StreamInflater::Inflate(const std::uint8_t*& in, std::size_t& inSize,
                                               std::uint8_t*& out, std::size_t& outSize) {
    if (!IsReady()) return Result::Refused;
    const auto inNow = std::min(inSize, kMostAtOnce), outNow = std::min(outSize, kMostAtOnce);
#if defined(TIDEMARK_HAVE_ISAL)
    if (!state_->zlib) {
        inflate_state& s = state_->isal;
        s.next_in = const_cast<std::uint8_t*>(in);
        s.avail_in = std::uint32_t(inNow);
        s.next_out = out;
        s.avail_out = std::uint32_t(outNow);
        const int status = isal_inflate(&s);
        // ISA-L leaves its counters meaningless when it stops on bad data:
        // they must not move the caller's pointers, who starts over anyway.
        if (status != ISAL_DECOMP_OK || s.avail_in > inNow || s.avail_out > outNow)
            return Result::Refused;
        in += inNow - s.avail_in;
        inSize -= inNow - s.avail_in;
        out += outNow - s.avail_out;
        outSize -= outNow - s.avail_out;
        return s.block_state == ISAL_BLOCK_FINISH ? Result::Ended : Result::Going;
    }
#endif
    z_stream& z = state_->z;
    z.next_in = const_cast<Bytef*>(in);
    z.avail_in = uInt(inNow);
    z.next_out = out;
    z.avail_out = uInt(outNow);
    const int status = inflate(&z, Z_NO_FLUSH);
    in += inNow - z.avail_in;
    inSize -= inNow - z.avail_in;
    out += outNow - z.avail_out;
    outSize -= outNow - z.avail_out;
    if (status == Z_STREAM_END) return Result::Ended;
    return status == Z_OK || status == Z_BUF_ERROR ? Result::Going : Result::Refused;
}
