#include "PngRows.h"

#include <QRgb>
#include <QtEndian>
#include <cstdlib>
#include <cstring>

// Every x86-64 processor has SSE2; MSVC says so only through _M_X64.
#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define PNG_ROWS_SSE2 1
#include <emmintrin.h>
#endif

namespace PngRows {

namespace {

constexpr std::size_t kPixel = 4;

enum Filter : std::uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

// Any pixel width, a byte at a time: for the layouts large pictures rarely
// come in.
void SubBytes(std::uint8_t* row, std::size_t bytes, std::size_t bpp) {
    for (std::size_t i = bpp; i < bytes; ++i) row[i] = std::uint8_t(row[i] + row[i - bpp]);
}

void UpBytes(std::uint8_t* row, const std::uint8_t* above, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) row[i] = std::uint8_t(row[i] + above[i]);
}

void AverageBytes(std::uint8_t* row, const std::uint8_t* above, std::size_t bytes,
                  std::size_t bpp) {
    for (std::size_t i = 0; i < bytes; ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0;
        row[i] = std::uint8_t(row[i] + ((left + above[i]) >> 1));
    }
}

void PaethBytes(std::uint8_t* row, const std::uint8_t* above, std::size_t bytes, std::size_t bpp) {
    for (std::size_t i = 0; i < bytes; ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0;
        const int b = above[i];
        const int c = i >= bpp ? above[i - bpp] : 0;
        const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
        const int nearest = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        row[i] = std::uint8_t(row[i] + nearest);
    }
}

#if defined(PNG_ROWS_SSE2)

// A pixel of 3 or 4 bytes in the low lanes; a 3-byte one is read and
// written without touching the byte after it, which is the next pixel's,
// and in registers only: through memory, the partial writes would stall
// every read that follows them.
template <std::size_t kBytes>
__m128i Load(const std::uint8_t* p) {
    if constexpr (kBytes == 4) {
        int value;
        std::memcpy(&value, p, sizeof value);
        return _mm_cvtsi32_si128(value);
    } else {
        return _mm_cvtsi32_si128(
            int(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16));
    }
}

template <std::size_t kBytes>
void Store(std::uint8_t* p, __m128i v) {
    const int value = _mm_cvtsi128_si32(v);
    if constexpr (kBytes == 4) {
        std::memcpy(p, &value, sizeof value);
    } else {
        p[0] = std::uint8_t(value);
        p[1] = std::uint8_t(value >> 8);
        p[2] = std::uint8_t(value >> 16);
    }
}

// Four-byte pixels four at a time: a prefix sum within the register, then
// the last pixel of the previous four added to all.
void Sub4(std::uint8_t* row, std::size_t bytes) {
    __m128i last = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 16 <= bytes; i += 16) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        x = _mm_add_epi8(x, _mm_slli_si128(x, 4));
        x = _mm_add_epi8(x, _mm_slli_si128(x, 8));
        x = _mm_add_epi8(x, last);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), x);
        last = _mm_shuffle_epi32(x, _MM_SHUFFLE(3, 3, 3, 3));
    }
    for (; i < bytes; i += kPixel) {
        last = _mm_add_epi8(Load<4>(row + i), last);
        Store<4>(row + i, last);
    }
}

void Sub3(std::uint8_t* row, std::size_t bytes) {
    __m128i last = _mm_setzero_si128();
    for (std::size_t i = 0; i + 3 <= bytes; i += 3) {
        last = _mm_add_epi8(Load<3>(row + i), last);
        Store<3>(row + i, last);
    }
}

void Up(std::uint8_t* row, const std::uint8_t* above, std::size_t bytes) {
    std::size_t i = 0;
    for (; i + 16 <= bytes; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_add_epi8(x, b));
    }
    UpBytes(row + i, above + i, bytes - i);
}

template <std::size_t kBytes>
void Average(std::uint8_t* row, const std::uint8_t* above, std::size_t bytes) {
    const __m128i one = _mm_set1_epi8(1);
    __m128i left = _mm_setzero_si128();
    for (std::size_t i = 0; i + kBytes <= bytes; i += kBytes) {
        const __m128i b = Load<kBytes>(above + i);
        // avg_epu8 rounds up; the filter rounds down.
        const __m128i mean =
            _mm_sub_epi8(_mm_avg_epu8(left, b), _mm_and_si128(_mm_xor_si128(left, b), one));
        left = _mm_add_epi8(Load<kBytes>(row + i), mean);
        Store<kBytes>(row + i, left);
    }
}

__m128i Abs16(__m128i x) {
    return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x));
}

__m128i Select(__m128i mask, __m128i then, __m128i otherwise) {
    return _mm_or_si128(_mm_and_si128(mask, then), _mm_andnot_si128(mask, otherwise));
}

// One pixel at a time in 16-bit lanes; ties go to the left, then the one
// above, then the one above-left.
template <std::size_t kBytes>
void Paeth(std::uint8_t* row, const std::uint8_t* above, std::size_t bytes) {
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero, c = zero;
    for (std::size_t i = 0; i + kBytes <= bytes; i += kBytes) {
        const __m128i b = _mm_unpacklo_epi8(Load<kBytes>(above + i), zero);
        const __m128i x = _mm_unpacklo_epi8(Load<kBytes>(row + i), zero);
        const __m128i bc = _mm_sub_epi16(b, c);
        const __m128i ac = _mm_sub_epi16(a, c);
        const __m128i pa = Abs16(bc);
        const __m128i pb = Abs16(ac);
        const __m128i pc = Abs16(_mm_add_epi16(bc, ac));
        const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
        const __m128i nearest =
            Select(_mm_cmpeq_epi16(smallest, pa), a, Select(_mm_cmpeq_epi16(smallest, pb), b, c));
        a = _mm_and_si128(_mm_add_epi16(x, nearest), _mm_set1_epi16(0xFF));
        Store<kBytes>(row + i, _mm_packus_epi16(a, zero));
        c = b;
    }
}

#endif

}  // namespace

bool Unfilter(std::uint8_t type, std::uint8_t* row, const std::uint8_t* above, std::size_t bytes,
              std::size_t bpp) {
    if (type > kPaeth) return false;
    if (type == kNone) return true;
#if defined(PNG_ROWS_SSE2)
    if (type == kUp) {
        Up(row, above, bytes);
        return true;
    }
    // Pixels of three or four bytes, whole: what large pictures come in.
    if ((bpp == 3 || bpp == 4) && bytes % bpp == 0) {
        switch (type) {
            case kSub:
                bpp == 4 ? Sub4(row, bytes) : Sub3(row, bytes);
                return true;
            case kAverage:
                bpp == 4 ? Average<4>(row, above, bytes) : Average<3>(row, above, bytes);
                return true;
            default:
                bpp == 4 ? Paeth<4>(row, above, bytes) : Paeth<3>(row, above, bytes);
                return true;
        }
    }
#endif
    switch (type) {
        case kSub:
            SubBytes(row, bytes, bpp);
            return true;
        case kUp:
            UpBytes(row, above, bytes);
            return true;
        case kAverage:
            AverageBytes(row, above, bytes, bpp);
            return true;
        default:
            PaethBytes(row, above, bytes, bpp);
            return true;
    }
}

bool ToArgb32Premultiplied(const std::uint8_t* rgba, std::uint32_t* out, std::size_t pixels) {
    std::size_t i = 0;
    std::uint32_t opaque = 0xFF000000u;
#if defined(PNG_ROWS_SSE2)
    // Red and blue trade places: swap the 16-bit halves of 0x00BB00RR.
    const __m128i alphaGreen = _mm_set1_epi32(int(0xFF00FF00u));
    __m128i alphas = alphaGreen;
    for (; i + 4 <= pixels; i += 4) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgba + kPixel * i));
        __m128i redBlue = _mm_andnot_si128(alphaGreen, x);
        redBlue = _mm_shufflehi_epi16(_mm_shufflelo_epi16(redBlue, _MM_SHUFFLE(2, 3, 0, 1)),
                                      _MM_SHUFFLE(2, 3, 0, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                         _mm_or_si128(_mm_and_si128(x, alphaGreen), redBlue));
        alphas = _mm_and_si128(alphas, x);
    }
    alignas(16) std::uint32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), alphas);
    opaque &= lanes[0] & lanes[1] & lanes[2] & lanes[3];
#endif
    for (; i < pixels; ++i) {
        const std::uint32_t p = qFromLittleEndian<std::uint32_t>(rgba + kPixel * i);
        out[i] = (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
        opaque &= p;
    }
    if ((opaque >> 24) == 0xFF) return true;
    for (std::size_t j = 0; j < pixels; ++j)
        if (qAlpha(out[j]) != 255) out[j] = qPremultiply(out[j]);
    return false;
}

}  // namespace PngRows
