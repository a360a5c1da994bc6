#pragma once

#include "tools/treat/TreatmentRule.h"

#include <string>
#include <vector>

namespace logtools {

class TreatmentRecord;

// logtreat [options] LOG...: whether each unit's cores held the threshold long enough, from the
// PC logs of one farm read as one record. The report goes to standard output, errors to
// standard error; the exit status is 0 when the run worked, 1 under --require-all when a unit is
// NOT TREATED, 2 on bad options, an unreadable log or an unwritable CSV file.
class LogTreatTool {
public:
    static constexpr int kWorked = 0;
    static constexpr int kNotAllTreated = 1;
    static constexpr int kFailed = 2;

    int run(int argc, char** argv);

    // "1-12,15" into unit IDs; false for anything else or a unit outside 1-254.
    static bool parseUnits(const std::string& text, std::vector<int>& units);

private:
    bool parseArguments(int argc, char** argv);
    bool writeCsv(const std::string& text);
    bool refusesToReplaceALog(const std::string& output, const char* what) const;
    bool writePdf(const TreatmentRecord& record);

    TreatmentRule m_rule;
    std::string m_csvPath;
    std::string m_pdfPath;
    std::string m_site;
    std::string m_facility;
    bool m_spanish = false;
    std::string m_paper; // "a4", "letter" or empty for the locale's
    bool m_requireAll = false;
    bool m_listAll = false;
    bool m_help = false;
    std::vector<int> m_units;
    std::vector<std::string> m_logs;
};

} // namespace logtools
