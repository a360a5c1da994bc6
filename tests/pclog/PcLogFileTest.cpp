#include "PcLogTestSupport.h"

#include "pclog/LogText.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

using namespace pclogtest;

TEST(PcLogText, StampsNamesAndLinesWithTheTwoDigitYearOfEitherCentury) {
    EXPECT_EQ(LogFileLeafName(1, {2006, 12, 6, 8, 15, 0}), "001_061206_081500.CSV");
    EXPECT_EQ(LogFileLeafName(4, {1999, 1, 31, 23, 59, 58}), "004_990131_235958.CSV");
    EXPECT_EQ(LogLineTimeStamp({2006, 12, 6, 8, 16, 0}), "12/06/06,08:16:00,");
    EXPECT_EQ(LogLineTimeStamp({1998, 7, 4, 0, 0, 9}), "07/04/98,00:00:09,");
}

TEST(PcLogFile, FirstCycleCreatesTheStampedFileWithTheDescriptorAsFirstLine) {
    LoggingFarm f;
    ASSERT_TRUE(f.doc.PcLogsDirectoryAvailable());
    f.Connect({2});
    f.Ticks(2);
    EXPECT_FALSE(f.doc.LogCycleActive());
    f.Tick();

    const std::string path = f.PcLogs() + "/001_061206_081500.CSV";
    EXPECT_EQ(f.LogPath(), path);
    EXPECT_TRUE(f.doc.LogCycleActive());
    EXPECT_EQ(ReadFile(path), "Charge 14, beech\r\n");
    EXPECT_EQ(f.MirrorPath(), f.PcLogs() + "/CurrentLogSession.CSV");
    EXPECT_EQ(ReadFile(f.MirrorPath()), "Charge 14, beech\r\n");
    EXPECT_FALSE(IsReadOnly(path)) << "the connection still writes to it";
}

TEST(PcLogFile, EmptyDescriptorWritesNoFirstLine) {
    LoggingFarm f;
    f.frame.descriptorText.clear();
    f.answer = [](int nodeId) -> std::optional<std::vector<std::uint8_t>> {
        return UnitReply(nodeId, kRun, false, {2640, 2640, 2640, 2640});
    };
    f.Connect({1});
    f.Ticks(4);
    const auto lines = Lines(ReadFile(f.LogPath()));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 18), "12/06/06,08:15:00,");
}

TEST(PcLogFile, DisconnectingDeletesTheMirrorAndLeavesTheLogReadOnly) {
    LoggingFarm f;
    f.Connect({1});
    f.Ticks(4);
    ASSERT_TRUE(Exists(f.MirrorPath()));
    const std::string log = f.LogPath();

    f.doc.fARMdISCONNECT(0);

    EXPECT_FALSE(Exists(f.MirrorPath()));
    ASSERT_TRUE(Exists(log));
    EXPECT_TRUE(IsReadOnly(log));
    EXPECT_FALSE(f.doc.LogCycleActive());
    EXPECT_EQ(Lines(ReadFile(log)).front(), "Charge 14, beech");
}

TEST(PcLogFile, ASecondConnectionStartsANewFileAndADismissedPromptKeepsTheLastText) {
    LoggingFarm f;
    f.Connect({1});
    f.Ticks(3);
    const std::string first = f.LogPath();
    f.doc.fARMdISCONNECT(0);

    f.clock.now = {2006, 12, 6, 9, 0, 30};
    f.frame.confirmDescriptor = false;
    f.frame.descriptorText = "ignored";
    f.doc.FarmConnect(0);
    f.Ticks(3);

    EXPECT_EQ(f.LogPath(), f.PcLogs() + "/001_061206_090030.CSV");
    EXPECT_NE(f.LogPath(), first);
    EXPECT_EQ(f.frame.descriptorPrompts.back(), "Charge 14, beech");
    EXPECT_EQ(ReadFile(f.LogPath()), "Charge 14, beech\r\n");
    EXPECT_EQ(ReadFile(first), "Charge 14, beech\r\n") << "the finished log is left alone";
}

TEST(PcLogFile, FallsBackToTheWorkingDirectoryWhenPcLogsCannotBeMade) {
    ScratchDirectory dir;
    // A file of that name stops the directory from being made, whatever the user's rights.
    WriteFile(dir.Path() + "/PC_Logs", "not a directory");
    CTreeListDoc doc(Language::English, dir.Path());
    FakeLinkPort port(doc);
    RecordingFrame frame;
    RecordingListView list;
    ManualClock clock;
    doc.SetPortWriter(&port);
    doc.SetFrameServices(&frame);
    doc.SetKilnListView(&list);
    doc.SetClock(&clock);
    clock.now = {2006, 12, 6, 8, 15, 0};
    frame.answerDescriptorAtOnce = true;
    frame.descriptorText = "fallback";
    EXPECT_FALSE(doc.PcLogsDirectoryAvailable());

    ConfigureUnits(doc.Farm(0), {7});
    doc.FarmConnect(0);
    for (int tick = 0; tick < 4; ++tick) {
        doc.Timer1_Tick();
    }
    const auto reply = UnitReply(7, kRun, false, {2640, 2640, 2640, 2640});
    doc.pROCESStHErAWdATA(reply.data(), static_cast<int>(reply.size()));

    const std::string log = dir.Path() + "/001_061206_081500.CSV";
    EXPECT_EQ(doc.PcLog(0).LogFileName(), log);
    EXPECT_FALSE(doc.PcLog(0).IsMirrorOpen());
    // Without a mirror the log still gets every reading.
    const auto lines = Lines(ReadFile(log));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "fallback");
    EXPECT_EQ(lines[1], "12/06/06,08:15:00,007,135,132,132,132,132");
    EXPECT_EQ(ReadFile(dir.Path() + "/PC_Logs"), "not a directory");
}

#if !defined(_WIN32)
TEST(PcLogFile, AMirrorHeldByAnotherProgramCostsTheLogNoLineAndIsNotTouched) {
    LoggingFarm f;
    f.answer = [](int nodeId) -> std::optional<std::vector<std::uint8_t>> {
        return UnitReply(nodeId, kRun, false, {2640, 2640, 2640, 2640});
    };
    const std::string mirror = f.PcLogs() + "/CurrentLogSession.CSV";
    WriteFile(mirror, "their data\r\n");
    const int holder = ::open(mirror.c_str(), O_RDWR);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

    f.Connect({1});
    f.Ticks(4);
    EXPECT_FALSE(f.doc.PcLog(0).IsMirrorOpen());
    EXPECT_EQ(Lines(ReadFile(f.LogPath())).size(), 2u);

    f.doc.fARMdISCONNECT(0);
    EXPECT_EQ(ReadFile(mirror), "their data\r\n");
    EXPECT_TRUE(IsReadOnly(f.LogPath()));
    ::close(holder);
}

TEST(PcLogFile, ALogFileHeldByAnotherWriterLeavesTheCycleInactive) {
    LoggingFarm f;
    const std::string log = f.PcLogs() + "/001_061206_081500.CSV";
    WriteFile(log, "");
    const int holder = ::open(log.c_str(), O_RDWR);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

    f.answer = [](int nodeId) -> std::optional<std::vector<std::uint8_t>> {
        return UnitReply(nodeId, kRun, false, {2640, 2640, 2640, 2640});
    };
    f.Connect({1});
    f.Ticks(3);
    EXPECT_FALSE(f.doc.LogCycleActive());
    EXPECT_FALSE(f.doc.PcLog(0).IsLogFileOpen());
    f.Ticks(59);
    EXPECT_EQ(ReadFile(log), "") << "no cycle ran, so no reading was due";
    ::close(holder);

    // The next cycle opens the same name, now without mirror or descriptor.
    f.clock.now.minute = 16;
    f.Tick();
    EXPECT_EQ(f.LogPath(), log);
    EXPECT_FALSE(f.doc.PcLog(0).IsMirrorOpen());
    EXPECT_EQ(Lines(ReadFile(log)),
              std::vector<std::string>{"12/06/06,08:16:00,001,135,132,132,132,132"});
}
#endif

TEST(PcLogFile, EndingTheProgramWhileConnectedFinishesTheLog) {
    ScratchDirectory dir;
    std::string log;
    std::string mirror;
    {
        CTreeListDoc doc(Language::English, dir.Path());
        FakeLinkPort port(doc);
        RecordingFrame frame;
        ManualClock clock;
        doc.SetPortWriter(&port);
        doc.SetFrameServices(&frame);
        doc.SetClock(&clock);
        frame.answerDescriptorAtOnce = true;
        frame.descriptorText = "until shutdown";
        ConfigureUnits(doc.Farm(0), {1});
        doc.FarmConnect(0);
        for (int tick = 0; tick < 3; ++tick) {
            doc.Timer1_Tick();
        }
        log = doc.PcLog(0).LogFileName();
        mirror = doc.PcLog(0).MirrorFileName();
        ASSERT_TRUE(doc.PcLog(0).IsLogFileOpen());
        ASSERT_TRUE(Exists(mirror));
    }
    EXPECT_FALSE(Exists(mirror));
    EXPECT_TRUE(IsReadOnly(log));
    EXPECT_EQ(ReadFile(log), "until shutdown\r\n");
}

TEST(PcLogFile, SpanishBuildNamesTheMirrorFromItsOwnText) {
    ScratchDirectory dir;
    CTreeListDoc doc(Language::Spanish, dir.Path());
    EXPECT_EQ(doc.PcLog(2).MirrorFileName(), dir.Path() + "/PC_Logs/Corriente.CSV");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "/PC_Logs"));
}
