#include "PcLogTestSupport.h"
#include "support/DocProbe.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace pclogtest;

TEST(PcLogFile, OneStampedFilePerConnectionFinishedReadOnlyWithItsMirrorDeleted) {
    LoggingFarm f;
    f.Connect({2});
    f.Ticks(3);
    const std::string first = f.PcLogs() + "/001_061206_081500.CSV";
    ASSERT_EQ(f.LogPath(), Native(first));
#if !defined(_WIN32) // Windows keeps every other reader out of a log while it is open
    EXPECT_EQ(ReadFile(first), "Charge 14, beech\r\n");
#endif
    EXPECT_EQ(f.MirrorPath(), Native(f.PcLogs() + "/CurrentLogSession.CSV"));
    EXPECT_EQ(ReadFile(f.MirrorPath()), "Charge 14, beech\r\n");
    EXPECT_FALSE(IsReadOnly(first));

    f.doc.fARMdISCONNECT(0);
    EXPECT_FALSE(Exists(f.MirrorPath()));
    EXPECT_TRUE(IsReadOnly(first));

    // A dismissed prompt keeps the last text for the next connection's new file.
    f.clock.now = {1999, 1, 31, 23, 59, 58};
    f.frame.confirmDescriptor = false;
    f.doc.FarmConnect(0);
    f.Ticks(3);
    EXPECT_EQ(f.LogPath(), Native(f.PcLogs() + "/001_990131_235958.CSV"));
    EXPECT_EQ(ReadFile(first), "Charge 14, beech\r\n");
    f.doc.fARMdISCONNECT(0);
    EXPECT_EQ(ReadFile(f.LogPath()), "Charge 14, beech\r\n");
}

namespace {

// A document on a working directory the test prepared, connected to farm 0 with one unit and
// ticked into its first polling tick.
struct DocOnDirectory {
    explicit DocOnDirectory(const std::string& dir) : doc(Language::English, dir) {
        doc.SetPortWriter(&port);
        doc.SetFrameServices(&frame);
        doc.SetKilnListView(&list);
        doc.SetClock(&clock);
        frame.answerDescriptorAtOnce = true;
        frame.descriptorText = "own directory";
        ConfigureUnits(doc.Farm(0), {7});
        doc.FarmConnect(0);
        for (int tick = 0; tick < 4; ++tick) {
            doc.Timer1_Tick();
        }
        const auto reply = UnitReply(7, kRun, false);
        doc.pROCESStHErAWdATA(reply.data(), static_cast<int>(reply.size()));
    }
    CTreeListDoc doc;
    FakeLinkPort port{doc};
    RecordingFrame frame;
    RecordingListView list;
    ManualClock clock;
};

} // namespace

TEST(PcLogFile, FallsBackToTheWorkingDirectoryAndLogsEveryLineWithoutAMirror) {
    ScratchDirectory dir;
    // A file of that name stops the directory from being made, whatever the user's rights.
    WriteFile(dir.Path() + "/PC_Logs", "not a directory");
    DocOnDirectory run(dir.Path());
    EXPECT_FALSE(DocProbe(run.doc).PcLogsDirectoryAvailable());
    EXPECT_EQ(run.doc.PcLog(0).LogFileName(), Native(dir.Path() + "/001_000101_000000.CSV"));
    EXPECT_FALSE(run.doc.PcLog(0).IsMirrorOpen());
    EXPECT_EQ(
        Lines(run.doc.PcLog(0).LogFileName()),
        (std::vector<std::string>{"own directory", "01/01/00,00:00:00,007,135,132,132,132,132"}));
    EXPECT_EQ(ReadFile(dir.Path() + "/PC_Logs"), "not a directory");
}

TEST(PcLogFile, SaysWhyLoggingIsOffOnlyWhenNoFolderTakesTheLogs) {
    ScratchDirectory dir;
    {
        DocOnDirectory run(dir.Path());
        EXPECT_EQ(run.doc.PcLoggingOffReason(), "");
    }
    // PC_Logs in the way: the logs go to the working folder, so logging is not off.
    ScratchDirectory blocked;
    WriteFile(blocked.Path() + "/PC_Logs", "not a directory");
    {
        DocOnDirectory run(blocked.Path());
        EXPECT_EQ(run.doc.PcLoggingOffReason(), "");
    }
#if defined(_WIN32)
    GTEST_SKIP() << "folder permissions are mode bits, which Windows does not have";
#else
    if (::geteuid() == 0) {
        GTEST_SKIP() << "the administrator may write to any folder";
    }
#endif
    ::chmod((dir.Path() + "/PC_Logs").c_str(), 0555);
    {
        DocOnDirectory run(dir.Path());
        EXPECT_EQ(run.doc.PcLoggingOffReason(),
                  "the folder " + dir.Path() + "/PC_Logs cannot be written");
    }
    ::chmod((dir.Path() + "/PC_Logs").c_str(), 0755);
    ::chmod(blocked.Path().c_str(), 0555);
    {
        DocOnDirectory run(blocked.Path());
        EXPECT_NE(run.doc.PcLoggingOffReason().find("cannot be made"), std::string::npos);
    }
    ::chmod(blocked.Path().c_str(), 0755);
}

TEST(PcLogFile, EndingTheProgramWhileConnectedFinishesTheLog) {
    ScratchDirectory dir;
    auto run = std::make_unique<DocOnDirectory>(dir.Path());
    const std::string log = run->doc.PcLog(0).LogFileName();
    const std::string mirror = run->doc.PcLog(0).MirrorFileName();
    ASSERT_TRUE(Exists(mirror));
    run.reset();
    EXPECT_FALSE(Exists(mirror));
    EXPECT_TRUE(IsReadOnly(log));
    EXPECT_EQ(Lines(log).size(), 2u);
}

#if !defined(_WIN32)
TEST(PcLogFile, AMirrorHeldByAnotherProgramIsNeitherEmptiedNorDeleted) {
    LoggingFarm f;
    const std::string mirror = f.PcLogs() + "/CurrentLogSession.CSV";
    WriteFile(mirror, "their data\r\n");
    const int holder = ::open(mirror.c_str(), O_RDWR);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

    f.Connect({1});
    f.Ticks(4);
    f.doc.fARMdISCONNECT(0);
    EXPECT_EQ(Lines(f.LogPath()).size(), 2u);
    EXPECT_EQ(ReadFile(mirror), "their data\r\n");
    EXPECT_TRUE(IsReadOnly(f.LogPath()));
    ::close(holder);
}
#endif
