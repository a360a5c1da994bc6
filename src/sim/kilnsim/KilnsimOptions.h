#pragma once

#include "sim/FarmConfig.h"

#include <string>
#include <vector>

// The command line of kilnsim, turned into a farm configuration and the program's own settings.
struct KilnsimOptions {
    farmsim::FarmConfig farm;
    std::string linkPath;   // a symbolic link to make to the line's device; empty: none
    std::string zrmLogPath; // where to write the alarm station's stored log; empty: nowhere
    int fifoTrigger = 14;   // receive FIFO trigger level of the PC's simulated UART
    bool verbose = false;
    bool help = false;

    // Parses argv[1..argc-1]. False, with a message in error, for anything it does not
    // understand; nothing is half-applied then.
    static bool Parse(int argc, const char* const* argv, KilnsimOptions& out, std::string& error);
    static std::string Usage();
};
