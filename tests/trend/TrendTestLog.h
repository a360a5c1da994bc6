#pragma once

#include "base/PcLogLine.h"

#include <fstream>
#include <string>

// A PC log of two units a minute apart: unit 3 (C) cold for 10 minutes, then at 57C with a
// five-minute hole after minute 50; unit 4 (F) at 133F (56C) for 20 minutes, then at 132F.
inline std::string WriteTwoUnitPcLog(const std::string& dir) {
    const std::string path = dir + "/001_061206_081500.CSV";
    std::ofstream out(path, std::ios::binary);
    out << "Charge 17\r\n";
    for (int minute = 0; minute < 90; ++minute) {
        const std::string stamp =
            PcLogLine::stamp(12, 6, 6, 8 + (15 + minute) / 60, (15 + minute) % 60, 0);
        if (!(minute > 50 && minute < 56)) {
            const int c = minute < 10 ? 50 : 57;
            out << stamp << PcLogLine::fields(3, true, c, c + 1, c + 2, 70) << "\r\n";
        }
        const int f = minute < 20 ? 133 : 132;
        out << stamp << PcLogLine::fields(4, false, f, f + 3, f + 1, 160) << "\r\n";
    }
    return path;
}
