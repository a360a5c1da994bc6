#include "sim/SimRandom.h"

namespace farmsim {

double SimRandom::Uniform() {
    // The top 53 bits fill a double's mantissa exactly.
    return static_cast<double>(engine_() >> 11) * (1.0 / 9007199254740992.0);
}

bool SimRandom::Chance(double probability) {
    return Uniform() < probability;
}

int SimRandom::Below(int n) {
    const std::uint64_t draw = engine_();
    if (n <= 0) {
        return 0;
    }
    return static_cast<int>(draw % static_cast<std::uint64_t>(n));
}

std::uint8_t SimRandom::Byte() {
    return static_cast<std::uint8_t>(engine_() >> 56);
}

} // namespace farmsim
