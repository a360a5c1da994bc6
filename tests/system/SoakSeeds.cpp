#include "system/SoakSeeds.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace {

bool ParseNumber(std::string_view text, std::uint64_t& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

} // namespace

bool SoakSeeds::Parse(std::string_view text, std::vector<std::uint64_t>& seeds,
                      std::string& error) {
    seeds.clear();
    for (bool more = true; more;) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        more = comma != std::string_view::npos;
        text = more ? text.substr(comma + 1) : std::string_view();
        const std::size_t dash = item.find('-');
        std::uint64_t first = 0;
        std::uint64_t last = 0;
        const bool ok = dash == std::string_view::npos
                            ? ParseNumber(item, first) && ParseNumber(item, last)
                            : ParseNumber(item.substr(0, dash), first) &&
                                  ParseNumber(item.substr(dash + 1), last);
        if (!ok || last < first) {
            error = "'" + std::string(item) + "' is no seed or range of seeds (FIRST-LAST)";
            return false;
        }
        if (last - first >= kMaxSeeds - seeds.size()) {
            error = "more than " + std::to_string(kMaxSeeds) + " seeds";
            return false;
        }
        for (std::uint64_t seed = first;; ++seed) {
            seeds.push_back(seed);
            if (seed == last) {
                break;
            }
        }
    }
    if (seeds.empty()) {
        error = "no seeds given";
        return false;
    }
    return true;
}

bool SoakSeeds::FromEnvironment(std::uint64_t builtIn, std::vector<std::uint64_t>& seeds,
                                std::string& error) {
    const char* text = std::getenv("KILNWATCH_SOAK_SEEDS");
    if (text == nullptr || *text == '\0') {
        seeds = {builtIn};
        return true;
    }
    if (!Parse(text, seeds, error)) {
        error = "KILNWATCH_SOAK_SEEDS: " + error;
        return false;
    }
    return true;
}

void SoakTally::Add(double farmDays, bool invariantBroken, std::uint64_t replies,
                    std::uint64_t undetectedDamage, std::uint64_t damagedShown) {
    ++m_seeds;
    m_farmDays += farmDays;
    m_invariantBreaks += invariantBroken ? 1 : 0;
    m_replies += replies;
    m_undetected += undetectedDamage;
    m_shown += damagedShown;
}

std::string SoakTally::Summary() const {
    char text[320];
    const double perMillion =
        m_replies == 0 ? 0.0
                       : static_cast<double>(m_undetected) * 1e6 / static_cast<double>(m_replies);
    std::snprintf(text, sizeof text,
                  "soak %s: %zu seeds, %.2f farm-days, %zu invariant breaks, %llu of %llu replies "
                  "damaged past the checksum (%.2f per million), %llu shown",
                  m_name.c_str(), m_seeds, m_farmDays, m_invariantBreaks,
                  static_cast<unsigned long long>(m_undetected),
                  static_cast<unsigned long long>(m_replies), perMillion,
                  static_cast<unsigned long long>(m_shown));
    std::string summary = text;
    summary += "; failing seeds:";
    if (m_failing.empty()) {
        summary += " none";
    }
    for (const std::uint64_t seed : m_failing) {
        summary += ' ' + std::to_string(seed);
    }
    return summary;
}

void RunOverSoakSeeds(const std::string& name, std::uint64_t builtIn,
                      const std::function<void(std::uint64_t, SoakTally&)>& day) {
    std::vector<std::uint64_t> seeds;
    std::string error;
    ASSERT_TRUE(SoakSeeds::FromEnvironment(builtIn, seeds, error)) << error;
    const ::testing::TestResult* result =
        ::testing::UnitTest::GetInstance()->current_test_info()->result();
    SoakTally tally(name);
    for (const std::uint64_t seed : seeds) {
        const int before = result->total_part_count();
        day(seed, tally);
        if (result->total_part_count() != before) {
            tally.MarkFailed(seed);
        }
    }
    std::printf("%s\n", tally.Summary().c_str());
}
