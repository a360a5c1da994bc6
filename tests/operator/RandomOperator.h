#pragma once

#include "OperatorSteps.h"

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

class OperatorHarness;

// The random operator: the next step from what the desk shows, by weights that keep a run busy
// on the line (a farm connected first, sheets opened on its units and left open long enough for
// replies, the Log Descriptor prompt answered), among the steps it is allowed to do now. The
// same seed and the same desk give the same steps.
class RandomOperator {
public:
    using Allowed = std::function<bool(const OperatorStep&)>;

    explicit RandomOperator(std::uint64_t seed) : m_random(seed ^ 0x6f70657261746f72ULL) {}

    OperatorStep Choose(const OperatorHarness& desk, const Allowed& allowed);

private:
    struct Choice {
        int weight;
        OperatorStep step;
    };

    int Uniform(int low, int high);
    bool Chance(int percent) { return Uniform(1, 100) <= percent; }
    // By the weights, among the allowed steps; a second's wait when none is.
    OperatorStep Pick(const Allowed& allowed, std::vector<Choice> choices);
    int AnyFarm(const OperatorHarness& desk);
    int SomeFarm(const OperatorHarness& desk);
    int SomeUnit(const OperatorHarness& desk);

    std::mt19937_64 m_random;
};
