#pragma once

#include <cstdint>
#include <random>

namespace farmsim {

// The simulator's only source of chance. The engine's output is fixed by the language standard;
// the conversions below are our own, so a seed gives the same run with every standard library.
class SimRandom {
public:
    explicit SimRandom(std::uint64_t seed) : engine_(seed) {}

    // Uniform in [0, 1).
    double Uniform();

    // Always consumes one draw, so that a rate of 0 leaves the sequence of later draws as it is.
    bool Chance(double probability);

    // Uniform in [0, n); 0 when n is not positive.
    int Below(int n);

    std::uint8_t Byte();

private:
    std::mt19937_64 engine_;
};

} // namespace farmsim
