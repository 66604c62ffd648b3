#include "Rng.h"

int Rng::range(int lo, int hi) {
    return lo + int(next() % std::uint64_t(hi - lo + 1));
}

std::uint64_t Rng::derive(std::uint64_t seed, std::uint64_t index) {
    Rng mixer(seed ^ (index * 0xD1B54A32D192ED03ull + 0x8CB92BA72F3D8DD7ull));
    mixer.next();
    return mixer.next();
}
