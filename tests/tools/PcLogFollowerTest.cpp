#include "tools/treat/PcLogFollower.h"
#include "base/PcLogLine.h"
#include "tools/treat/TreatmentRecord.h"
#include "tools/treat/TreatmentRule.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace logtools {
namespace {

// A data line of unit at minute m after 12/06/06 08:00:00, every core at value (Centigrade).
std::string Line(int unit, int minute, int value) {
    const int ofDay = 8 * 3600 + minute * 60;
    return PcLogLine::stamp(12, 6, 6, ofDay / 3600, ofDay / 60 % 60, ofDay % 60) +
           PcLogLine::fields(unit, true, value, value, value, 65) + "\r\n";
}

struct GrowingLog : ::testing::Test {
    GrowingLog() {
        path = (std::filesystem::temp_directory_path() /
                ("follower_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".CSV"))
                   .string();
        std::filesystem::remove(path);
    }
    ~GrowingLog() override { std::filesystem::remove(path); }
    void Append(const std::string& text) {
        std::ofstream(path, std::ios::binary | std::ios::app) << text;
    }
    // What logtreat makes of the file as it stands.
    Verdict FromTheFile(int unit, std::size_t* stretches = nullptr) {
        TreatmentRecord record(rule);
        record.readFile(path);
        record.finish();
        const UnitTreatment* treatment = record.unit(unit);
        if (stretches != nullptr) {
            *stretches = treatment != nullptr ? treatment->stretches().size() : 0;
        }
        return treatment != nullptr ? treatment->verdict() : Verdict{};
    }

    TreatmentRule rule;
    std::string path;
};

} // namespace

TEST_F(GrowingLog, JudgesEachUnitFromTheLinesTheFileHoldsAsLogtreatDoes) {
    ASSERT_TRUE(rule.setThreshold("56C"));
    ASSERT_TRUE(rule.setMinutes(8));
    PcLogFollower follower(rule);
    Append("charge 14\r\n");
    // Unit 3 runs 5 minutes at threshold, is in Standby (no lines) for 4, runs again for 6:
    // two short stretches, not one long one. Unit 7 runs the whole time.
    for (int minute = 0; minute < 15; ++minute) {
        std::string lines;
        if (minute < 5 || minute >= 9) {
            lines += Line(3, minute, 60);
        }
        lines += Line(7, minute, minute == 11 ? 200 : 60); // one sensor fault
        // Half a line at the end of some steps: the writer is in the middle of it.
        const std::size_t cut = minute % 3 == 0 ? lines.size() - 10 : lines.size();
        Append(lines.substr(0, cut));
        ASSERT_TRUE(follower.follow(path));
        Append(lines.substr(cut));
        ASSERT_TRUE(follower.follow(path));
        for (int unit : {3, 7}) {
            const UnitTreatment* live = follower.unit(unit);
            ASSERT_NE(live, nullptr);
            std::size_t stretches = 0;
            const Verdict kept = FromTheFile(unit, &stretches);
            EXPECT_EQ(live->verdict().treated, kept.treated) << unit << " at minute " << minute;
            EXPECT_EQ(live->verdict().shortBy, kept.shortBy) << unit << " at minute " << minute;
            EXPECT_EQ(live->stretches().size(), stretches) << unit << " at minute " << minute;
        }
    }
    EXPECT_FALSE(follower.unit(3)->verdict().treated) << "a Standby gap is no treatment";
    EXPECT_EQ(follower.lines(), 1 + 11 + 15);
}

TEST_F(GrowingLog, LineBeingWrittenWaitsForItsEndAndAReplacedFileStartsAgain) {
    PcLogFollower follower(rule);
    const std::string first = Line(3, 0, 60);
    Append("descriptor\r\n" + first.substr(0, 20));
    ASSERT_TRUE(follower.follow(path));
    EXPECT_EQ(follower.unit(3), nullptr);
    Append(first.substr(20));
    ASSERT_TRUE(follower.follow(path));
    ASSERT_NE(follower.unit(3), nullptr);
    EXPECT_EQ(follower.unit(3)->lines(), 1);

    std::filesystem::remove(path);
    EXPECT_FALSE(follower.follow(path)) << "a file that is gone cannot be read";
    EXPECT_EQ(follower.unit(3)->lines(), 1) << "what was read is kept";
    Append(Line(9, 1, 60));
    ASSERT_TRUE(follower.follow(path));
    EXPECT_EQ(follower.unit(3), nullptr) << "a shorter file is another file";
    ASSERT_NE(follower.unit(9), nullptr);
}

} // namespace logtools
