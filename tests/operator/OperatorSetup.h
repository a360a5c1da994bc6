#pragma once

#include "sim/FarmConfig.h"

#include <cstdint>
#include <vector>

// What an operator run starts from: the simulated farms (farm index i behind COM i+1), the
// units the program's farms have in its settings, the alarm annunciation setting and the farm
// connected on the first tick.
struct OperatorSetup {
    std::vector<farmsim::FarmConfig> farms;
    std::vector<std::vector<int>> configured; // node IDs per farm index
    bool annunciation = true;
    int startupFarmNumber = 0; // 1..4, or 0 for none
    std::uint64_t lineSeed = 1;

    // The farms, settings and line of a seed: two or three farms that share node IDs, units in
    // Run, Standby, Setup and alarm, silent ones, and replies the line garbles now and then.
    static OperatorSetup ForSeed(std::uint64_t seed);
};
