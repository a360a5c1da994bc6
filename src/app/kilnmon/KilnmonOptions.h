#pragma once

#include "app/Language.h"
#include "net/ScanPace.h"

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

    // Parses argv[1..argc-1]; false with a message in error for anything it cannot use.
    static bool Parse(int argc, const char* const* argv, KilnmonOptions& out, std::string& error);
    static std::string Usage();
};
