#include "tools/common/CsvSplitTool.h"

#include "base/FileAttributes.h"
#include "tools/common/CsvLine.h"
#include "tools/common/LogCalendar.h"
#include "tools/common/NumberText.h"
#include "tools/common/TextLineReader.h"
#include "tools/common/ToolHelp.h"
#include "tools/common/UnitFileWriter.h"
#include "tools/common/WildcardMatch.h"

#include <cstdio>
#include <cstring>
#include <memory>

#if defined(_WIN32)
#include <stdio.h>
#else
#include <sys/resource.h>
#endif

namespace logtools {

namespace {

constexpr std::size_t kCsvUnitColumns = 30;

bool inUnitRange(int unit) {
    return unit >= 0 && unit <= CsvSplitTool::kMaxUnit;
}

// "%05d %05d %05d 00000 " and CR LF.
std::size_t dumpColumns(int first, int second, int third, char* out) {
    char* p = out;
    for (const int value : {first, second, third}) {
        p = NumberText::zeroPadded(p, value, 5);
        *p++ = ' ';
    }
    std::memcpy(p, "00000 \r\n", 8);
    return static_cast<std::size_t>(p + 8 - out);
}

char charAt(std::string_view text, std::size_t index) {
    return index < text.size() ? text[index] : '?';
}

} // namespace

std::string CsvSplitTool::outputName(const std::string& input, int unit, Style style) {
    std::string name = input.substr(0, input.size() >= 4 ? input.size() - 4 : 0);
    char digits[16];
    name += '_';
    name.append(digits, NumberText::zeroPadded(digits, unit, 3));
    name += style == Style::Csv ? ".CSV" : ".TXT";
    return name;
}

int CsvSplitTool::unitForWriting(std::string_view line, Style style) {
    if (style == Style::Csv) {
        line = line.substr(0, kCsvUnitColumns);
    }
    return CsvLine::unitOf(line);
}

std::string CsvSplitTool::dumpHeading(std::string_view line) {
    std::string_view fields[2];
    CsvLine::split(line, fields, 2);
    const std::string_view date = fields[0];
    const std::string_view time = fields[1];
    const int month = CsvLine::toInt(date.substr(0, 2));

    std::string text = "\r\nDUMP: ";
    text += charAt(date, 3);
    text += charAt(date, 4);
    text += LogCalendar::monthName(month);
    text += charAt(date, 6);
    text += charAt(date, 7);
    text += ' ';
    text += charAt(time, 0);
    text += charAt(time, 1);
    text += ':';
    text += charAt(time, 3);
    text += charAt(time, 4);
    text += "   ";
    text += "[1=Alarm (40=Low, 50=None, 60=High), 2=Dry1, 3=Wet1, 4=N/A]\r\n";
    text += "ALRM, DRY1, WET1, NULL. \r\n";
    return text;
}

std::size_t CsvSplitTool::dumpLine(std::string_view line, char* out) {
    std::string_view fields[6];
    CsvLine::split(line, fields, 6);
    return dumpColumns(CsvLine::toInt(fields[3]), CsvLine::toInt(fields[4]),
                       CsvLine::toInt(fields[5]), out);
}

namespace {

// The unit files of one run. The log is read once: a unit's file is made when the unit's first
// line is counted, every line goes to its unit's file as it is read, and the console names the
// files in unit order at the end. logcsv looks for the unit to write to in the first 30 columns
// only, so a line may name a unit that no whole line has counted yet; such lines wait in
// memory until the unit is counted, and are dropped at the end if it never is.
class UnitSplitter {
public:
    UnitSplitter(const std::string& input, CsvSplitTool::Style style)
        : m_input(input), m_style(style) {
        // Every file keeps its handle between writes when the open-file limit has room for all
        // of them; reopening a file for each buffer costs more than the writing.
#if defined(_WIN32)
        // The C runtime's own stream limit (512 at start) may be raised by the program.
        constexpr int kWanted = CsvSplitTool::kMaxUnit + 64;
        m_holdFiles = _getmaxstdio() >= kWanted || _setmaxstdio(kWanted) == kWanted;
#else
        struct rlimit limit {};
        m_holdFiles = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 &&
                      limit.rlim_cur >= static_cast<rlim_t>(CsvSplitTool::kMaxUnit + 64);
#endif
    }

    void setHeader(std::string_view header) {
        m_hasHeader = true;
        m_header.assign(header);
    }

    void add(std::string_view line) {
        if (m_style == CsvSplitTool::Style::Dump) {
            addDumpLine(line);
        } else {
            addCsvLine(line);
        }
    }

    // Writes the trailer (logcsv), closes the files and names them on the console, with the
    // ones that could not be opened or written. False when any failed.
    bool finish(const std::string* trailer) {
        bool ok = true;
        bool anyUnit = false;
        unsigned long long lost = 0;
        for (int unit = 1; unit <= CsvSplitTool::kMaxUnit; ++unit) {
            Unit& u = m_units[static_cast<std::size_t>(unit)];
            if (!u.counted) {
                continue;
            }
            anyUnit = true;
            const std::string& name = u.name;
            std::printf("%s\n", name.c_str());
            if (!u.file) {
                std::printf("ERROR: Unable to open %s\n", name.c_str());
                lost += u.lines;
                ok = false;
                continue;
            }
            if (m_style == CsvSplitTool::Style::Csv && trailer != nullptr) {
                u.file->append(*trailer);
                u.file->append("\r\n", 2);
            }
            if (!u.file->close()) {
                std::printf("ERROR: Unable to write %s\n", name.c_str());
                lost += u.lines;
                ok = false;
            }
            FileAttributes::setReadOnly(u.file->path());
        }
        if (!anyUnit) {
            std::printf("WARNING: The file '%s' holds no line of any unit\n", m_input.c_str());
        }
        if (lost > 0) {
            std::printf("ERROR: %llu %s could not be written\n", lost,
                        lost == 1 ? "line" : "lines");
        }
        return ok;
    }

private:
    struct Unit {
        bool counted = false;
        bool headed = false;
        std::string name;
        std::unique_ptr<UnitFileWriter> file; // none when it could not be opened
        std::string waiting;                  // logcsv lines for a unit not yet counted
        unsigned long long lines = 0;         // lines meant for the unit's file
    };

    Unit& unitAt(int unit) {
        return m_units[static_cast<std::size_t>(unit)];
    }

    void count(int unit) {
        if (inUnitRange(unit) && !unitAt(unit).counted) {
            countFirstLine(unit);
        }
    }

    void countFirstLine(int unit) {
        Unit& u = unitAt(unit);
        u.counted = true;
        if (unit == 0) {
            return; // 0 is no unit: its lines are counted but never written
        }
        u.name = CsvSplitTool::outputName(m_input, unit, m_style);
        const bool isInput = FileAttributes::isSameFile(u.name, m_input);
        if (!isInput && FileAttributes::exists(u.name) && !FileAttributes::isDirectory(u.name)) {
            FileAttributes::clearReadOnly(u.name);
        }
        auto file = std::make_unique<UnitFileWriter>(u.name, m_input);
        file->hold(m_holdFiles);
        if (isInput || !file->open()) {
            u.waiting.clear();
            return;
        }
        if (m_style == CsvSplitTool::Style::Csv && m_hasHeader) {
            file->append(m_header);
            file->append("\r\n", 2);
        }
        if (!u.waiting.empty()) {
            file->append(u.waiting);
            std::string().swap(u.waiting);
        }
        u.file = std::move(file);
    }

    static void writeLine(UnitFileWriter& file, std::string_view line) {
        if (line.size() + 2 <= UnitFileWriter::kBufferSize / 2) {
            char* out = file.reserve(line.size() + 2);
            std::memcpy(out, line.data(), line.size());
            out[line.size()] = '\r';
            out[line.size() + 1] = '\n';
            file.commit(line.size() + 2);
        } else {
            file.append(line.data(), line.size());
            file.append("\r\n", 2);
        }
    }

    void addCsvLine(std::string_view line) {
        const std::string_view unitField = CsvLine::field(line, 3);
        const int unit = CsvLine::toInt(unitField);
        // The unit to write to: field 3 of the line cut at column 30. Cutting the line leaves
        // the fields before it alone, so only a field 3 that reaches past the cut differs.
        int target = unit;
        if (line.size() > kCsvUnitColumns && !unitField.empty()) {
            const std::size_t start = static_cast<std::size_t>(unitField.data() - line.data());
            if (start >= kCsvUnitColumns) {
                target = 0;
            } else if (start + unitField.size() > kCsvUnitColumns) {
                target = CsvLine::toInt(unitField.substr(0, kCsvUnitColumns - start));
            }
        }
        count(unit);
        if (target < 1 || target > CsvSplitTool::kMaxUnit) {
            return;
        }
        Unit& u = unitAt(target);
        ++u.lines;
        if (u.file) {
            writeLine(*u.file, line);
        } else if (!u.counted) {
            u.waiting.append(line);
            u.waiting.append("\r\n", 2);
        }
    }

    void addDumpLine(std::string_view line) {
        CsvLine::Span spans[6];
        const int found = CsvLine::splitSpans(line, spans, 6);
        const auto number = [&](int n) {
            return n <= found ? CsvLine::toInt(line.substr(spans[n - 1].start, spans[n - 1].length))
                              : 0;
        };
        const int unit = number(3);
        count(unit);
        if (unit < 1 || unit > CsvSplitTool::kMaxUnit) {
            return;
        }
        Unit& u = unitAt(unit);
        ++u.lines;
        if (!u.file) {
            return;
        }
        if (!u.headed) {
            u.headed = true;
            u.file->append(CsvSplitTool::dumpHeading(line));
        }
        u.file->commit(dumpColumns(number(4), number(5), number(6),
                                   u.file->reserve(CsvSplitTool::kMaxDumpLine)));
    }

    const std::string& m_input;
    CsvSplitTool::Style m_style;
    bool m_holdFiles = false;
    bool m_hasHeader = false;
    std::string m_header;
    std::array<Unit, CsvSplitTool::kMaxUnit + 1> m_units;
};

} // namespace

int CsvSplitTool::run(int argc, char** argv) {
    const bool dump = m_style == Style::Dump;
    const char* const usage =
        dump ? "USAGE:  logdumpsplit <input_file>\n" : "USAGE:  logcsv <input_file>\n";
    if (isHelpRequest(argc, argv)) {
        return printHelp(
            usage,
            dump ? "Writes each unit's lines of a PC log as a dump table to a read-only file\n"
                   "next to it, named after the log with _NNN.TXT.\n"
                   "\n"
                   "The input is a PC log written by kilnwatch or kilnmon (PC_Logs/*.CSV); a "
                   "name with * or ?\n"
                   "takes the first matching file. NNN is the unit's number: the log "
                   "001_061206_081500.CSV\n"
                   "gives 001_061206_081500_003.TXT for unit 3. A file of that name that is "
                   "already there is\n"
                   "replaced.\n"
                   "\n"
                   "Example:\n"
                   "  logdumpsplit PC_Logs/001_061206_081500.CSV\n"
                   "\n"
                   "Messages go to standard output. Exit status: 0 when every file was written, "
                   "1 otherwise.\n"
                 : "Copies each unit's lines of a PC log, with its header or trailer line, to a\n"
                   "read-only file next to it, named after the log with _NNN.CSV.\n"
                   "\n"
                   "The input is a PC log written by kilnwatch or kilnmon (PC_Logs/*.CSV); a "
                   "name with * or ?\n"
                   "takes the first matching file. NNN is the unit's number: the log "
                   "001_061206_081500.CSV\n"
                   "gives 001_061206_081500_003.CSV for unit 3. A file of that name that is "
                   "already there is\n"
                   "replaced.\n"
                   "\n"
                   "Example:\n"
                   "  logcsv PC_Logs/001_061206_081500.CSV\n"
                   "\n"
                   "Messages go to standard output. Exit status: 0 when every file was written, "
                   "1 otherwise.\n");
    }
    if (argc < 2) {
        std::fputs(usage, stdout);
        return 1;
    }
    std::string input;
    if (!WildcardMatch::findFirst(argv[1], input)) {
        std::fputs("ERROR: Unable to find a matching file name\n", stdout);
        return 1;
    }
    if (!FileAttributes::exists(input)) {
        std::printf("ERROR: The file '%s' does NOT exist\n", input.c_str());
        return 1;
    }
    std::FILE* in = FileAttributes::isDirectory(input) ? nullptr : std::fopen(input.c_str(), "rb");
    if (in == nullptr) {
        std::printf("ERROR: Unable to open %s\n", input.c_str());
        return 1;
    }
    TextLineReader reader(in);
    UnitSplitter splitter(input, m_style);
    std::string_view line;
    bool first = true;
    bool hasHeader = false;
    // Without a header the last line is the trailer when it is not a data line, which shows
    // only at the end: such a line waits here until another line follows it.
    bool holding = false;
    std::string held;
    while (reader.next(line)) {
        if (first) {
            first = false;
            if (!CsvLine::isDataLine(line)) {
                hasHeader = true;
                splitter.setHeader(line);
                continue;
            }
        }
        if (holding) {
            splitter.add(held);
            holding = false;
        }
        if (!hasHeader && !CsvLine::isDataLine(line)) {
            held.assign(line);
            holding = true;
            continue;
        }
        splitter.add(line);
    }
    const bool readWhole = std::ferror(in) == 0;
    if (!readWhole) {
        std::printf("ERROR: Unable to READ the entire input file %s\n", input.c_str());
    }
    const bool written = splitter.finish(holding ? &held : nullptr);
    std::fclose(in);
    return readWhole && written ? 0 : 1;
}

} // namespace logtools
