// kilnmon's events against kilnsim: the lines it prints, the journal it keeps beside the PC
// logs, and the journal read back by kilnmon --events.

#include "ChildProcess.h"
#include "E2eSupport.h"
#include "events/EventLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <ctime>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

struct Printed {
    std::string text; // the line without "event "
    std::string kind;
};

// kilnmon's "event ..." lines in order, each with the kind word it names.
std::vector<Printed> EventLines(const std::string& output) {
    std::vector<Printed> events;
    for (const std::string& line : Lines(output)) {
        if (!StartsWith(line, "event ")) {
            continue;
        }
        Printed printed{line.substr(6), {}};
        std::istringstream words(printed.text);
        std::string word;
        EventKind kind{};
        while (printed.kind.empty() && words >> word) {
            if (EventKindFromName(word, kind)) {
                printed.kind = word;
            }
        }
        events.push_back(printed);
    }
    return events;
}

std::vector<fs::path> JournalFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        int year = 0;
        int month = 0;
        if (event_line::ParseFileName(entry.path().filename().string(), year, month)) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The journal's events as kilnmon prints them, file by file; a line that does not parse
// fails the test.
std::vector<std::string> JournalTexts(const fs::path& folder) {
    std::vector<std::string> texts;
    for (const fs::path& file : JournalFiles(folder)) {
        int year = 0;
        int month = 0;
        event_line::ParseFileName(file.filename().string(), year, month);
        const std::string content = ReadFile(file);
        EXPECT_TRUE(StartsWith(content, std::string(event_line::kHeader))) << file;
        const std::vector<std::string> lines = Lines(content);
        for (std::size_t i = 1; i < lines.size(); ++i) {
            Event event;
            EXPECT_TRUE(event_line::Parse(lines[i], year, event)) << lines[i];
            texts.push_back(event_line::Text(event));
        }
    }
    return texts;
}

std::map<std::string, std::string> Environment(const TempFolder& tmp, const std::string& hive) {
    return {{"KILNWATCH_REGISTRY", hive},
            {"KILNWATCH_COM1", tmp / "com1"},
            {"XDG_CONFIG_HOME", tmp / "config"}};
}

// kilnmon on farm 1 against kilnsim with the options given until it has printed the text
// given (or the time is up), then interrupted; its output.
std::string RunAgainstKilnsim(const TempFolder& tmp, const fs::path& work,
                              const std::vector<std::string>& simOptions,
                              const std::vector<std::string>& monOptions, const std::string& until,
                              std::chrono::milliseconds timeout) {
    const std::string hive = tmp / "registry.reg";
    WriteHive(hive, {3, 5}, 1);
    fs::create_directories(work);
    std::vector<std::string> simArgs = {KILNSIM_PATH, "--units", "3,5", "--link", tmp / "com1"};
    simArgs.insert(simArgs.end(), simOptions.begin(), simOptions.end());
    ChildProcess sim;
    EXPECT_TRUE(sim.Start(simArgs));
    EXPECT_TRUE(sim.ReadUntil("linked as", 5s)) << sim.Output();

    std::vector<std::string> monArgs = {KILNMON_PATH, "--farm", "1"};
    monArgs.insert(monArgs.end(), monOptions.begin(), monOptions.end());
    ChildProcess mon;
    EXPECT_TRUE(mon.Start(monArgs, Environment(tmp, hive), work.string()));
    EXPECT_TRUE(mon.ReadUntil(until, timeout)) << mon.Output();
    mon.Signal(SIGINT);
    EXPECT_EQ(mon.Wait(15s), 0) << mon.Output();
    sim.Signal(SIGINT);
    EXPECT_EQ(sim.Wait(5s), 0) << sim.Output();
    return mon.Output();
}

// kilnmon --events with the arguments given, in the folder given; its status and output.
int ReadBack(const fs::path& work, const std::map<std::string, std::string>& environment,
             std::vector<std::string> args, std::string& output) {
    args.insert(args.begin(), {KILNMON_PATH, "--events"});
    ChildProcess reader;
    EXPECT_TRUE(reader.Start(args, environment, work.string()));
    const int status = reader.Wait(10s);
    output = reader.Output();
    return status;
}

} // namespace

TEST(KilnmonEvents, PrintsEachEventAsItComesAndJournalsTheSameInOrder) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    const fs::path work = tmp.Path() / "work";
    // Unit 3 answers with its high alarm from the first reply; unit 5 never answers and is
    // given up after its seventh attempt.
    const std::string output = RunAgainstKilnsim(
        tmp, work, {"--alarm", "3=high@0", "--silent", "5"}, {}, "unit 5 unit-silent", 30s);
    SCOPED_TRACE(output);
    const std::vector<Printed> printed = EventLines(output);

    const std::vector<std::string> expected = {"program-started",   "farm-connected",
                                               "alarm-raised",      "unit-silent",
                                               "farm-disconnected", "program-ended"};
    std::size_t next = 0;
    for (const Printed& event : printed) {
        EXPECT_FALSE(event.kind.empty()) << "an event line names its kind: " << event.text;
        if (next < expected.size() && event.kind == expected[next]) {
            ++next;
        }
    }
    EXPECT_EQ(next, expected.size()) << "the events come in the order they happened";
    for (const Printed& event : printed) {
        if (event.kind == "alarm-raised") {
            EXPECT_NE(event.text.find("unit 3 alarm-raised High"), std::string::npos) << event.text;
        }
        if (event.kind == "unit-silent") {
            EXPECT_NE(event.text.find("unit 5 unit-silent"), std::string::npos) << event.text;
        }
    }
    // Printed as they come: the alarm is on standard output before the program is asked to end.
    const std::size_t alarmAt = output.find("alarm-raised");
    const std::size_t stopAt = output.find("kilnmon: disconnecting");
    EXPECT_LT(alarmAt, stopAt);
    EXPECT_EQ(Lines(output).back(), "kilnmon: stopped");

    // The journal beside the PC logs holds the very events printed, in the same order.
    std::vector<std::string> texts;
    for (const Printed& event : printed) {
        texts.push_back(event.text);
    }
    EXPECT_EQ(JournalTexts(work / "PC_Logs"), texts);

    // Read back with a filter: only unit 3's alarm.
    const auto environment = Environment(tmp, tmp / "registry.reg");
    std::string shown;
    EXPECT_EQ(ReadBack(work, environment, {"--unit", "3", "--kind", "alarm-raised"}, shown), 0);
    std::vector<std::string> alarms;
    for (const Printed& event : printed) {
        if (event.kind == "alarm-raised") {
            alarms.push_back(event.text);
        }
    }
    EXPECT_EQ(Lines(shown), alarms);

    // As CSV, the farm's events are the journal's own lines under its header.
    EXPECT_EQ(ReadBack(work, environment, {"--farm", "1", "--csv", "PC_Logs"}, shown), 0);
    const std::vector<std::string> csv = Lines(shown);
    ASSERT_FALSE(csv.empty());
    EXPECT_EQ(csv[0] + "\r\n", std::string(event_line::kHeader));
    std::vector<std::string> farmLines;
    for (const fs::path& file : JournalFiles(work / "PC_Logs")) {
        int year = 0;
        int month = 0;
        event_line::ParseFileName(file.filename().string(), year, month);
        for (const std::string& line : Lines(ReadFile(file))) {
            Event event;
            if (event_line::Parse(line, year, event) && event.farm == 0) {
                farmLines.push_back(line);
            }
        }
    }
    EXPECT_FALSE(farmLines.empty());
    EXPECT_EQ(std::vector<std::string>(csv.begin() + 1, csv.end()), farmLines);
}

TEST(KilnmonEvents, WithoutTheJournalStillPrintsEventsAndWritesNone) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    const fs::path work = tmp.Path() / "work";
    const std::string output = RunAgainstKilnsim(tmp, work, {"--alarm", "3=high@0"},
                                                 {"--no-journal"}, "unit 3 alarm-raised", 20s);
    SCOPED_TRACE(output);
    std::vector<std::string> kinds;
    for (const Printed& event : EventLines(output)) {
        kinds.push_back(event.kind);
    }
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), "farm-connected"), kinds.end());
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), "alarm-raised"), kinds.end());
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), "program-ended"), kinds.end());
    EXPECT_TRUE(JournalFiles(work / "PC_Logs").empty());
}

TEST(KilnmonEvents, AJournalThatCannotBeWrittenIsToldOnceAndPollingGoesOn) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    const fs::path work = tmp.Path() / "work";
    // A folder where this month's journal file should be: every append fails.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char name[32];
    std::strftime(name, sizeof name, "Events_%Y%m.CSV", &local);
    fs::create_directories(work / "PC_Logs" / name);

    const std::string output =
        RunAgainstKilnsim(tmp, work, {"--alarm", "3=high@0"}, {}, "unit 3 alarm-raised", 20s);
    SCOPED_TRACE(output);
    int notices = 0;
    for (const std::string& line : Lines(output)) {
        if (StartsWith(line, "kilnmon: the events journal")) {
            ++notices;
        }
    }
    EXPECT_EQ(notices, 1);
    EXPECT_NE(output.find("kiln  003 | Run"), std::string::npos) << "polling went on";
    EXPECT_NE(output.find("program-ended"), std::string::npos) << "events are still printed";
}

TEST(KilnmonEvents, TheReaderOpensNoPortAndRefusesWhatItCannotUse) {
    TempFolder tmp;
    ASSERT_TRUE(tmp.Valid());
    const fs::path journal = tmp.Path() / "PC_Logs";
    fs::create_directory(journal);
    // A power cut tore the last line of November; December goes on from a fresh line.
    std::ofstream(journal / "Events_202611.CSV", std::ios::binary)
        << event_line::kHeader << "11/30/26,23:59:58,1,12,alarm-raised,High\r\n"
        << "11/30/26,23:59:59,1,12,alarm-cle";
    std::ofstream(journal / "Events_202612.CSV", std::ios::binary)
        << event_line::kHeader << "12/01/26,00:00:05,1,12,alarm-cleared,High\r\n"
        << "12/01/26,00:10:00,2,,port-lost,\r\n";
    const std::map<std::string, std::string> environment = {
        {"KILNWATCH_REGISTRY", tmp / "registry.reg"},
        {"KILNWATCH_COM1", tmp / "com1"},
        {"XDG_CONFIG_HOME", tmp / "config"}};

    std::string shown;
    EXPECT_EQ(ReadBack(tmp.Path(), environment, {}, shown), 0);
    std::vector<std::string> lines = Lines(shown);
    ASSERT_EQ(lines.size(), 4u) << shown;
    EXPECT_EQ(lines[0], "2026-11-30 23:59:58 farm 1 unit 12 alarm-raised High");
    EXPECT_NE(lines[2].find("port-lost"), std::string::npos);
    EXPECT_NE(lines[3].find("1 line of the journal could not be read"), std::string::npos);

    // A month's filter leaves November's file alone; the farm and date filters combine.
    EXPECT_EQ(ReadBack(tmp.Path(), environment,
                       {"--farm", "1", "--from", "2026-12-01", "--to", "2026-12-31"}, shown),
              0);
    ASSERT_EQ(Lines(shown).size(), 1u) << shown;
    EXPECT_NE(shown.find("alarm-cleared High"), std::string::npos);

    // Nothing of a monitor run: no hive written, no port asked for.
    EXPECT_FALSE(fs::exists(tmp.Path() / "registry.reg"));
    EXPECT_FALSE(fs::exists(tmp.Path() / "config"));

    // A folder that is not there is an error, not an empty journal.
    EXPECT_EQ(ReadBack(tmp.Path(), environment, {"no-such-folder"}, shown), 1);
    EXPECT_NE(shown.find("no-such-folder is not a folder"), std::string::npos) << shown;

    // Each bad command line is the options' own test; here, that it ends the program with 2.
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--kind", "alarm"}, {"--from", "2026-02-30"}, {"--reconnect", "5"}}) {
        EXPECT_EQ(ReadBack(tmp.Path(), environment, bad, shown), 2) << bad[0];
        EXPECT_NE(shown.find("kilnmon: "), std::string::npos) << shown;
    }
}
