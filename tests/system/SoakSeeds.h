#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Seeds for the day-long runs. Each run has a seed of its own; KILNWATCH_SOAK_SEEDS replaces it
// with a list such as "1000-1199" or "7,12,40-45" (scripts/soak sets it), so one build can soak
// the runs over many seeds.
class SoakSeeds {
public:
    static constexpr std::size_t kMaxSeeds = 100000;

    // False, with a reason, for text that is no list of seeds or names more than kMaxSeeds.
    static bool Parse(std::string_view text, std::vector<std::uint64_t>& seeds, std::string& error);

    // The seeds of $KILNWATCH_SOAK_SEEDS, or just builtIn when it is unset or empty.
    static bool FromEnvironment(std::uint64_t builtIn, std::vector<std::uint64_t>& seeds,
                                std::string& error);
};

// What a run over several seeds came to, printed as one line at the end: farm-days run, seeds
// whose invariants broke or whose checks failed, and the replies the line damaged in a way the
// checksum cannot detect, per million replies.
class SoakTally {
public:
    explicit SoakTally(std::string name) : m_name(std::move(name)) {}

    void Add(double farmDays, bool invariantBroken, std::uint64_t replies,
             std::uint64_t undetectedDamage, std::uint64_t damagedShown);
    void MarkFailed(std::uint64_t seed) { m_failing.push_back(seed); }
    std::string Summary() const;
    const std::vector<std::uint64_t>& FailingSeeds() const { return m_failing; }

private:
    std::string m_name;
    std::size_t m_seeds = 0;
    double m_farmDays = 0;
    std::size_t m_invariantBreaks = 0;
    std::uint64_t m_replies = 0;
    std::uint64_t m_undetected = 0;
    std::uint64_t m_shown = 0;
    std::vector<std::uint64_t> m_failing;
};

// Runs day(seed, tally) once for every seed of SoakSeeds::FromEnvironment, in the current test.
// A seed whose run records any failure is listed as failing; the tally's summary line is
// printed at the end.
void RunOverSoakSeeds(const std::string& name, std::uint64_t builtIn,
                      const std::function<void(std::uint64_t, SoakTally&)>& day);
