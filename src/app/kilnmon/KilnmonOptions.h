#pragma once

#include "app/Language.h"
#include "events/EventJournalReader.h"
#include "net/ScanPace.h"
#include "publish/PublishConfig.h"

#include <optional>

#include <string>

// The command line of kilnmon.
struct KilnmonOptions {
    int farmNumber = 0;     // 1..4
    std::string descriptor; // first line of each new PC log file; empty: none
    Language language = Language::English;
    // Seconds between attempts when the port is lost or never opens; -1: the registry's
    // "Reconnect Interval" decides, and where that is missing or 0, kilnmon ends with status 1.
    int reconnectSeconds = -1;
    int healthMinutes = 0; // 0: no line health table
    bool verbose = false;  // also say how the alarm tone is heard
    // The scan pace and its times for this run, in place of the farm's own; unset: the farm's.
    std::optional<ScanPaceKind> pace;
    std::optional<int> guardMs;
    std::optional<int> marginMs;
    bool help = false;
    // Events go to the journal beside the PC logs; without it they are still printed.
    bool journal = true;

    // --events: the journal is read back and printed, and no port is opened. The filter's
    // farm comes from --farm, which is optional then.
    bool events = false;
    EventFilter eventFilter;
    bool eventsCsv = false;
    std::string eventsDirectory = "PC_Logs"; // relative to the working directory
    // Publishing settings given on the command line; each one given replaces the hive's.
    PublishConfig mqtt;
    unsigned mqttGiven = 0; // bit n: the nth of kMqttOptions was given

    static constexpr const char* kMqttOptions[] = {"--mqtt",
                                                   "--mqtt-client-id",
                                                   "--mqtt-user",
                                                   "--mqtt-password-file",
                                                   "--mqtt-password-env",
                                                   "--mqtt-ca",
                                                   "--mqtt-prefix",
                                                   "--mqtt-site"};
    // The hive's publishing settings with those of the command line over them.
    PublishConfig MergedPublishing(const PublishConfig& fromHive) const;

    // Parses argv[1..argc-1]; false with a message in error for anything it cannot use.
    static bool Parse(int argc, const char* const* argv, KilnmonOptions& out, std::string& error);
    static std::string Usage();
};
