#include "OperatorSetup.h"

#include <random>

OperatorSetup OperatorSetup::ForSeed(std::uint64_t seed) {
    std::mt19937_64 random(seed * 0x9E3779B97F4A7C15ULL + 1);
    const auto uniform = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto chance = [&](int percent) { return uniform(1, 100) <= percent; };

    OperatorSetup setup;
    setup.lineSeed = seed;
    setup.annunciation = chance(80);
    setup.startupFarmNumber = chance(15) ? 1 : 0;
    const int farmCount = chance(30) ? 3 : 2;
    for (int farm = 0; farm < farmCount; ++farm) {
        farmsim::FarmConfig config;
        config.seed = seed * 7 + static_cast<std::uint64_t>(farm) + 1;
        const double rate = uniform(0, 3) / 100.0;
        config.faults.silence = rate;
        config.faults.badChecksum = rate;
        config.faults.missingByte = rate / 2;
        config.faults.extraByte = rate / 2;
        config.faults.noise = rate / 2;
        config.faults.late = rate / 2;
        // Units 3 and 5 on every farm, so the same Kiln ID names a unit of each.
        std::vector<int> nodes = {3, 5};
        for (const int extra : {1, 2, 4, 7, 8, 9}) {
            if (chance(25)) {
                nodes.push_back(extra);
            }
        }
        std::vector<int> configured;
        for (const int node : nodes) {
            farmsim::UnitConfig unit;
            unit.nodeId = node;
            unit.idCode = static_cast<std::uint8_t>(node);
            const int mode = uniform(1, 10);
            unit.mode = mode <= 4 ? farmsim::Mode::Run
                                  : (mode <= 8 ? farmsim::Mode::Standby : farmsim::Mode::Setup);
            unit.silent = chance(8);
            unit.centigrade = chance(30);
            const int alarm = uniform(1, 100);
            unit.alarm = alarm <= 15   ? farmsim::AlarmScenario::ForceHigh
                         : alarm <= 25 ? farmsim::AlarmScenario::ForceLow
                         : alarm <= 30 ? farmsim::AlarmScenario::HeaterStuckOn
                                       : farmsim::AlarmScenario::None;
            unit.alarmFromMs = uniform(0, 60) * 1000;
            unit.chamberF = uniform(60, 170);
            unit.coreF = unit.chamberF - uniform(0, 10);
            config.units.push_back(unit);
            // Now and then the program does not know a unit, or knows one that is not there.
            if (!chance(8)) {
                configured.push_back(node);
            }
        }
        if (chance(20)) {
            configured.push_back(6);
        }
        setup.farms.push_back(config);
        setup.configured.push_back(configured);
    }
    return setup;
}
