#include "events/EventJournal.h"
#include "events/EventJournalReader.h"
#include "events/EventLine.h"

#include "app/LocalSeconds.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::int64_t At(int year, int month, int day, int hour, int minute, int second) {
    return LocalSeconds(LocalDateTime{year, month, day, hour, minute, second});
}

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(EventLine, WritesThePcLogsDateStyleAndReadsEveryFieldBack) {
    const Event alarm{At(2026, 12, 8, 14, 3, 7), 0, 12, EventKind::AlarmRaised, "High"};
    EXPECT_EQ(event_line::Format(alarm), "12/08/26,14:03:07,1,12,alarm-raised,High\r\n");
    const Event program{At(2027, 1, 2, 0, 0, 0), -1, 0, EventKind::ProgramEnded,
                        "said \"bye\", then left"};
    const std::string line = event_line::Format(program);
    EXPECT_EQ(line, "01/02/27,00:00:00,,,program-ended,\"said \"\"bye\"\", then left\"\r\n");
    Event back;
    ASSERT_TRUE(event_line::Parse(line.substr(0, line.size() - 1), 2027, back));
    EXPECT_EQ(back, program);
    ASSERT_TRUE(event_line::Parse("02/29/28,23:59:59,4,254,unit-silent,", 2028, back));
    EXPECT_EQ(back, (Event{At(2028, 2, 29, 23, 59, 59), 3, 254, EventKind::UnitSilent, ""}));
    EXPECT_EQ(event_line::Text(alarm), "2026-12-08 14:03:07 farm 1 unit 12 alarm-raised High");

    for (const char* bad :
         {"02/29/27,00:00:00,1,1,unit-silent,", "12/08/26,14:03:07,5,1,unit-silent,",
          "12/08/26,14:03:07,1,255,unit-silent,", "12/08/26,14:03:07,1,1,unit-gone,",
          "12/08/25,14:03:07,1,1,unit-silent,", "12/08/26,14:03,1,1,unit-silent,",
          "12/08/26,14:03:07,1,1,unit-silent,\"open", "12/08/26,14:03:07,1,1,unit-silent", "",
          "12/08/26,24:00:00,1,1,unit-silent,"}) {
        EXPECT_FALSE(event_line::Parse(bad, 2026, back)) << bad;
    }
}

TEST(EventJournal, AppendsAMonthAFileAndNeverRewritesWhatIsThere) {
    ScratchDirectory dir;
    const std::string november = dir.Path() + "/Events_202611.CSV";
    std::ofstream(november, std::ios::binary)
        << event_line::kHeader << "11/30/26,08:00:00,,,program-started,earlier run\r\n";
    const std::string before = Contents(november);
    {
        EventJournal journal(dir.Path());
        EXPECT_TRUE(
            journal.Append({At(2026, 11, 30, 23, 59, 59), 0, 0, EventKind::FarmConnected, ""}));
        EXPECT_TRUE(journal.Append({At(2026, 12, 1, 0, 0, 0), 0, 3, EventKind::UnitSilent, ""}));
        EXPECT_TRUE(journal.Append({At(2026, 12, 1, 0, 0, 5), 0, 3, EventKind::UnitAnswering, ""}));
        EXPECT_TRUE(journal.TakeNotices().empty());
    }
    EXPECT_EQ(Contents(november), before + "11/30/26,23:59:59,1,,farm-connected,\r\n");
    EXPECT_EQ(Contents(dir.Path() + "/Events_202612.CSV"),
              std::string(event_line::kHeader) + "12/01/26,00:00:00,1,3,unit-silent,\r\n" +
                  "12/01/26,00:00:05,1,3,unit-answering,\r\n");

    const JournalReading all = ReadJournal(dir.Path());
    ASSERT_EQ(all.events.size(), 4u);
    EXPECT_EQ(all.events[0].detail, "earlier run");
    EXPECT_EQ(all.events[3].kind, EventKind::UnitAnswering);
    EXPECT_EQ(all.skippedLines, 0);

    EventFilter december;
    december.from = At(2026, 12, 1, 0, 0, 0);
    december.unit = 3;
    december.kind = EventKind::UnitSilent;
    EXPECT_EQ(ReadJournal(dir.Path(), december).events.size(), 1u);
}

TEST(EventJournal, ATornLastLineIsSkippedAndTheNextEventStartsAFreshLine) {
    ScratchDirectory dir;
    const std::string path = dir.Path() + "/Events_202612.CSV";
    std::ofstream(path, std::ios::binary)
        << event_line::kHeader << "12/08/26,10:00:00,1,2,alarm-raised,High\r\n"
        << "12/08/26,10:00:09,1,2,alarm-cle";
    JournalReading torn = ReadJournal(dir.Path());
    EXPECT_EQ(torn.events.size(), 1u);
    EXPECT_EQ(torn.skippedLines, 1);

    EventJournal journal(dir.Path());
    ASSERT_TRUE(journal.Append({At(2026, 12, 8, 10, 5, 0), 0, 2, EventKind::AlarmCleared, "High"}));
    const JournalReading mended = ReadJournal(dir.Path());
    ASSERT_EQ(mended.events.size(), 2u);
    EXPECT_EQ(mended.events[1].kind, EventKind::AlarmCleared);
    EXPECT_EQ(mended.skippedLines, 1) << "the torn line stays a torn line";
}

TEST(EventJournal, AJournalThatCannotBeWrittenIsToldOnceAndAgainWhenItCanBe) {
    ScratchDirectory dir;
    const std::string folder = dir.Path() + "/PC_Logs";
    std::ofstream(folder) << "a file where the folder should be";
    EventJournal journal(folder);
    EXPECT_FALSE(journal.Append({At(2026, 12, 8, 1, 0, 0), -1, 0, EventKind::ProgramStarted, ""}));
    EXPECT_FALSE(journal.Append({At(2026, 12, 8, 1, 0, 1), 0, 0, EventKind::FarmConnected, ""}));
    EXPECT_TRUE(journal.Failing());
    const auto told = journal.TakeNotices();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("cannot"), std::string::npos) << told[0];

    std::filesystem::remove(folder);
    std::filesystem::create_directory(folder);
    EXPECT_TRUE(journal.Append({At(2026, 12, 8, 1, 0, 2), 0, 0, EventKind::FarmDisconnected, ""}));
    EXPECT_EQ(journal.TakeNotices().size(), 1u) << "the journal says it works again";
    EXPECT_EQ(ReadJournal(folder).events.size(), 1u);

    const std::string directoryInTheWay = folder + "/Events_202701.CSV";
    std::filesystem::create_directory(directoryInTheWay);
    EXPECT_FALSE(journal.Append({At(2027, 1, 1, 0, 0, 0), 0, 0, EventKind::FarmConnected, ""}));
    EXPECT_TRUE(std::filesystem::is_directory(directoryInTheWay));
}

TEST(EventJournalReader, LeavesOutForeignLinesAndFilesAndToldMissingFolders) {
    ScratchDirectory dir;
    std::ofstream(dir.Path() + "/Events_202612.CSV", std::ios::binary)
        << event_line::kHeader << std::string(10000, 'x') << "\r\n"
        << "12/08/26,10:00:00,1,2,alarm-raised,High\n"
        << "12/08/26,10:00:01,1,2,alarm-raised,High\r\n";
    std::ofstream(dir.Path() + "/Events_2026.CSV") << "12/08/26,10:00:00,1,2,alarm-raised,\r\n";
    const JournalReading reading = ReadJournal(dir.Path());
    EXPECT_EQ(reading.events.size(), 1u);
    EXPECT_EQ(reading.skippedLines, 2) << "a line too long, and one without CR";
    EXPECT_EQ(ReadJournal(dir.Path() + "/none").problems.size(), 1u);
}
