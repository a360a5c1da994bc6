#pragma once

namespace logtools {

// logsplit and logdump <input_file>: one text file per unit, "NNN.TXT" in the working folder,
// from a log data file sorted by unit. A unit's file starts again from empty each time the
// unit's records begin.
class RecordSplitTool {
public:
    enum class Style {
        Csv,  // logsplit: a comma-separated line with the decoded date per record
        Dump, // logdump: a heading per file and a column line per record
    };

    explicit RecordSplitTool(Style style) : m_style(style) {}
    int run(int argc, char** argv);

private:
    Style m_style;
};

} // namespace logtools
