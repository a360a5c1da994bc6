#include "FarmTestSupport.h"

#include <gtest/gtest.h>

using namespace configtest;

namespace {

const std::string kFarm2 = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel\\WRB Explorer\\Farm 02]\r\n";

std::string WithFarm2Values(const std::string& values) {
    std::string text = DataFile("default.reg");
    const std::size_t at = text.find(kFarm2);
    text.insert(at + kFarm2.size(), values);
    return text;
}

} // namespace

TEST(ScanPaceHive, AHiveWithoutTheValuesRunsAtTheTickAndStaysByteForByte) {
    TempDir dir;
    const std::string hive = dir.File("registry.reg");
    WriteBytes(hive, DataFile("default.reg"));
    {
        ProgramRun run(hive);
        CTreeListDoc& doc = run.Start();
        for (int farm = 0; farm < kFarmCount; ++farm) {
            EXPECT_EQ(doc.FarmScanPace(farm), ScanPaceSettings{});
        }
        // Applying the same pace writes nothing.
        EXPECT_TRUE(doc.PutFarmScanPace(1, ScanPaceSettings{}));
        // kilnmon's option is for the run only.
        ScanPaceSettings line;
        line.kind = ScanPaceKind::Line;
        EXPECT_TRUE(doc.SetFarmScanPace(0, line));
        EXPECT_EQ(doc.FarmScanPace(0).kind, ScanPaceKind::Line);
    }
    EXPECT_EQ(ReadBytes(hive), DataFile("default.reg"));
}

TEST(ScanPaceHive, TheOperatorsChangeWritesOnlyTheValueThatChangedAndIsReadBack) {
    TempDir dir;
    const std::string hive = dir.File("registry.reg");
    WriteBytes(hive, DataFile("default.reg"));
    ScanPaceSettings line;
    line.kind = ScanPaceKind::Line;
    {
        ProgramRun run(hive);
        CTreeListDoc& doc = run.Start();
        EXPECT_TRUE(doc.PutFarmScanPace(1, line));
    }
    std::string written = ReadBytes(hive);
    const std::string value = "\"Scan Pace\"=dword:00000001\r\n";
    const std::size_t at = written.find(value);
    ASSERT_NE(at, std::string::npos);
    EXPECT_GT(at, written.find(kFarm2));
    EXPECT_LT(at, written.find("Farm 03]"));
    written.erase(at, value.size());
    EXPECT_EQ(written, DataFile("default.reg"));

    ProgramRun again(hive);
    CTreeListDoc& doc = again.Start();
    EXPECT_EQ(doc.FarmScanPace(1), line);
    EXPECT_EQ(doc.FarmScanPace(0).kind, ScanPaceKind::Tick);
}

TEST(ScanPaceHive, OutOfRangeOrUnknownValuesAreBoundedNotTrusted) {
    TempDir dir;
    const std::string hive = dir.File("registry.reg");
    WriteBytes(hive, WithFarm2Values("\"Scan Pace\"=dword:00000007\r\n"
                                     "\"Scan Guard Time\"=dword:ffffffff\r\n"
                                     "\"Scan Reply Margin\"=dword:00000040\r\n"));
    ProgramRun run(hive);
    CTreeListDoc& doc = run.Start();
    const ScanPaceSettings& pace = doc.FarmScanPace(1);
    EXPECT_EQ(pace.kind, ScanPaceKind::Tick);
    EXPECT_EQ(pace.guardMs, ScanPaceSettings::kMaxGuardMs);
    EXPECT_EQ(pace.marginMs, 64);
    EXPECT_FALSE(doc.SetFarmScanPace(4, pace));
    EXPECT_FALSE(doc.PutFarmScanPace(-1, pace));
}
