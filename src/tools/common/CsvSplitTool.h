#pragma once

#include <array>
#include <string>
#include <string_view>

namespace logtools {

// logcsv and logdumpsplit <input_file>: one file per unit next to a PC log, named after the log
// with "_NNN.CSV" or "_NNN.TXT" in place of its extension, finished read-only.
//
// The log is read once whatever the number of units: every line goes to its unit's file as it is
// read. The console names the files, and any that could not be opened, in unit order once the
// log has been read, so it shows the same as when each unit is written in turn.
class CsvSplitTool {
public:
    enum class Style {
        Csv,  // logcsv: each unit's lines unchanged, with the header or trailer line
        Dump, // logdumpsplit: a heading per file and a column line per data line
    };

    explicit CsvSplitTool(Style style) : m_style(style) {}
    int run(int argc, char** argv);

    static constexpr int kMaxUnit = 256;

    // Output name for a unit: the input path less its last four characters (or all of them, when
    // it is shorter), then "_NNN.CSV" or "_NNN.TXT".
    static std::string outputName(const std::string& input, int unit, Style style);

    // The unit a line is written for. logcsv looks for the unit in the first 30 characters only.
    static int unitForWriting(std::string_view line, Style style);

    // The three-piece heading of a dump file, from the unit's first line.
    static std::string dumpHeading(std::string_view line);

    // "%05d %05d %05d 00000 " of fields 4, 5 and 6, then CR LF.
    static std::size_t dumpLine(std::string_view line, char* out);
    static constexpr std::size_t kMaxDumpLine = 64;

private:
    Style m_style;
};

} // namespace logtools
