#include "base/PcLogLine.h"
#include "tools/treat/LogTimestamp.h"
#include "tools/treat/TreatmentRecord.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace logtools {
namespace {

// A generated line of one unit, as the oracle sees it.
struct Line {
    long long time; // seconds after 2006-12-31 22:00:00, so that logs cross into a new year
    bool fahrenheit;
    int core[3];
};

// The threshold as whole degrees in its scale; the oracle converts the readings instead.
struct Threshold {
    int degrees;
    bool fahrenheit;
};

// Direct check of one line against the threshold, converting the reading exactly:
// C = (F - 32) * 5 / 9 and F = C * 9 / 5 + 32, compared across multiplied-out sides.
bool hot(const Line& l, Threshold t) {
    for (const int c : l.core) {
        if (c > (l.fahrenheit ? 212 : 100)) {
            return false;
        }
        bool passes;
        if (l.fahrenheit == t.fahrenheit) {
            passes = c >= t.degrees;
        } else if (l.fahrenheit) {
            passes = 5 * (c - 32) >= 9 * t.degrees;
        } else {
            passes = 9 * c + 160 >= 5 * t.degrees;
        }
        if (!passes) {
            return false;
        }
    }
    return true;
}

struct HotRun {
    long long first;
    long long last;
    int lowest;
};

// Every maximal run of lines (taken in time order, later lines not after the one before left
// out) that are all hot, in one scale, and no further apart than the gap.
std::vector<HotRun> oracleRuns(const std::vector<Line>& lines, Threshold t, long long maxGap) {
    std::vector<Line> kept;
    for (const Line& l : lines) {
        if (kept.empty() || l.time > kept.back().time) {
            kept.push_back(l);
        }
    }
    std::vector<HotRun> runs;
    std::size_t i = 0;
    while (i < kept.size()) {
        if (!hot(kept[i], t)) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j + 1 < kept.size() && hot(kept[j + 1], t) &&
               kept[j + 1].fahrenheit == kept[i].fahrenheit &&
               kept[j + 1].time - kept[j].time <= maxGap) {
            ++j;
        }
        HotRun run{kept[i].time, kept[j].time, 1 << 30};
        for (std::size_t k = i; k <= j; ++k) {
            for (const int c : kept[k].core) {
                run.lowest = c < run.lowest ? c : run.lowest;
            }
        }
        runs.push_back(run);
        i = j + 1;
    }
    return runs;
}

std::string text(int unit, const Line& l) {
    // 2006-12-31 22:00:00 plus the line's time.
    long long seconds = 22 * 3600 + l.time;
    const bool nextYear = seconds >= 86400;
    const int day = nextYear ? static_cast<int>(seconds / 86400) : 31;
    seconds %= 86400;
    return PcLogLine::stamp(nextYear ? 1 : 12, day, nextYear ? 7 : 6,
                            static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                            static_cast<int>(seconds % 60)) +
           PcLogLine::fields(unit, !l.fahrenheit, l.core[0], l.core[1], l.core[2], 70);
}

TEST(TreatmentProperty, StretchesAgreeWithADirectLineByLineCheck) {
    std::mt19937 random(14);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 300; ++round) {
        const Threshold threshold =
            pick(3) == 0 ? Threshold{133 + pick(8), true} : Threshold{55 + pick(6), false};
        TreatmentRule rule;
        rule.setThreshold(threshold.degrees * 100,
                          threshold.fahrenheit ? Scale::Fahrenheit : Scale::Centigrade);
        rule.setMinutes(pick(4) == 0 ? 30 : pick(12));
        rule.setMaxGapSeconds(pick(2) == 0 ? 90 : 60 + pick(120));

        const int units = 1 + pick(4);
        std::vector<std::vector<Line>> lines(static_cast<std::size_t>(units) + 1);
        std::size_t total = 0;
        for (int unit = 1; unit <= units; ++unit) {
            long long time = pick(600);
            bool fahrenheit = pick(2) == 0;
            int level = fahrenheit ? 125 + pick(20) : 50 + pick(12);
            const int count = pick(120);
            for (int k = 0; k < count; ++k) {
                static const int kSteps[] = {60, 60, 60, 60, 59, 61, 90, 91, 120, 300, 0, -30};
                time += kSteps[pick(12)]; // 0 and -30: repeated or out of order
                time = time < 0 ? 0 : time;
                if (pick(40) == 0) {
                    fahrenheit = !fahrenheit;
                    level = fahrenheit ? level * 9 / 5 + 32 : (level - 32) * 5 / 9;
                }
                level += pick(5) - 2;
                Line l{time, fahrenheit, {level, level + pick(3) - 1, level + pick(2)}};
                if (pick(50) == 0) {
                    l.core[pick(3)] = fahrenheit ? 213 + pick(4000) : 101 + pick(2000);
                }
                if (pick(50) == 0) {
                    l.core[pick(3)] = fahrenheit ? 212 : 100; // the last valid reading
                }
                lines[static_cast<std::size_t>(unit)].push_back(l);
                ++total;
            }
        }
        // Interleave the units, each in its own order, and cut the log into 1-3 files.
        std::vector<std::size_t> next(lines.size(), 0);
        std::vector<std::pair<int, Line>> order;
        while (order.size() < total) {
            const int unit = 1 + pick(units);
            std::size_t& k = next[static_cast<std::size_t>(unit)];
            if (k < lines[static_cast<std::size_t>(unit)].size()) {
                order.emplace_back(unit, lines[static_cast<std::size_t>(unit)][k++]);
            }
        }
        TreatmentRecord record(rule);
        const std::size_t files = 1 + static_cast<std::size_t>(pick(3));
        std::size_t part = 0;
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (i == 0 || i * files / order.size() != part) {
                part = i * files / order.size();
                record.beginFile("part" + std::to_string(i));
                record.addLine("Charge " + std::to_string(round));
            }
            record.addLine(text(order[i].first, order[i].second));
        }
        record.finish();

        for (int unit = 1; unit <= units; ++unit) {
            const std::vector<Line>& mine = lines[static_cast<std::size_t>(unit)];
            const UnitTreatment* u = record.unit(unit);
            if (mine.empty()) {
                EXPECT_EQ(u, nullptr);
                continue;
            }
            ASSERT_NE(u, nullptr);
            const std::vector<HotRun> runs = oracleRuns(mine, threshold, rule.maxGapSeconds());
            const std::vector<Stretch>& got = u->stretches();
            ASSERT_EQ(got.size(), runs.size()) << "round " << round << " unit " << unit;
            long long longest = -1;
            bool treated = false;
            const LogSeconds base = LogTimestamp::dayNumber(2006, 12, 31) * 86400 + 22 * 3600;
            for (std::size_t i = 0; i < runs.size(); ++i) {
                EXPECT_EQ(got[i].first.time - base, runs[i].first) << "round " << round;
                EXPECT_EQ(got[i].last.time - base, runs[i].last) << "round " << round;
                EXPECT_EQ(got[i].lowest, runs[i].lowest) << "round " << round;
                EXPECT_NE(got[i].end, StretchEnd::Open);
                const long long length = runs[i].last - runs[i].first;
                treated = treated || length >= rule.requiredSeconds();
                longest = length > longest ? length : longest;
            }
            const Verdict v = u->verdict();
            EXPECT_EQ(v.treated, treated) << "round " << round;
            if (!treated && longest >= 0) {
                EXPECT_EQ(v.shortBy, rule.requiredSeconds() - longest);
            }
        }
    }
}

} // namespace
} // namespace logtools
