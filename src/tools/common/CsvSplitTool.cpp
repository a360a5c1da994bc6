#include "tools/common/CsvSplitTool.h"

#include "tools/common/CsvLine.h"
#include "tools/common/FileAttributes.h"
#include "tools/common/LogCalendar.h"
#include "tools/common/NumberText.h"
#include "tools/common/TextLineReader.h"
#include "tools/common/UnitFileWriter.h"
#include "tools/common/WildcardMatch.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace logtools {

namespace {

constexpr std::size_t kCsvUnitColumns = 30;

struct LogShape {
    bool hasHeader = false;
    bool hasTrailer = false;
    std::string header;
    std::string trailer;
    unsigned long long dataLines = 0;
    std::array<unsigned long long, CsvSplitTool::kMaxUnit + 1> unitLines{};
};

bool inUnitRange(int unit) {
    return unit >= 0 && unit <= CsvSplitTool::kMaxUnit;
}

LogShape firstPass(TextLineReader& reader) {
    LogShape shape;
    std::string_view line;
    unsigned long long lines = 0;
    int lastUnit = -1;
    bool lastIsData = true;
    std::string last;
    while (reader.next(line)) {
        if (lines == 0 && !CsvLine::isDataLine(line)) {
            shape.hasHeader = true;
            shape.header.assign(line);
            ++lines;
            continue;
        }
        ++lines;
        const int unit = CsvLine::unitOf(line);
        if (inUnitRange(unit)) {
            ++shape.unitLines[static_cast<std::size_t>(unit)];
        }
        if (!shape.hasHeader) {
            // Only a log without a header can have a trailer, so only then is the last line
            // worth keeping.
            lastIsData = CsvLine::isDataLine(line);
            lastUnit = unit;
            if (!lastIsData) {
                last.assign(line);
            }
        }
    }
    shape.dataLines = lines - (shape.hasHeader ? 1 : 0);
    if (!shape.hasHeader && lines > 0 && !lastIsData) {
        shape.hasTrailer = true;
        shape.trailer = std::move(last);
        --shape.dataLines;
        if (inUnitRange(lastUnit)) {
            --shape.unitLines[static_cast<std::size_t>(lastUnit)];
        }
    }
    return shape;
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
    char* p = out;
    for (int i = 3; i < 6; ++i) {
        p = NumberText::zeroPadded(p, CsvLine::toInt(fields[i]), 5);
        *p++ = ' ';
    }
    const char tail[] = "00000 \r\n";
    for (const char* t = tail; *t != '\0'; ++t) {
        *p++ = *t;
    }
    return static_cast<std::size_t>(p - out);
}

int CsvSplitTool::run(int argc, char** argv) {
    const bool dump = m_style == Style::Dump;
    if (argc < 2) {
        std::fputs(dump ? "USAGE:  logdumpsplit <input_file>\n" : "USAGE:  logcsv <input_file>\n",
                   stdout);
        return 0;
    }
    std::string input;
    if (!WildcardMatch::findFirst(argv[1], input)) {
        std::fputs("ERROR: Unable to find a matching file name\n", stdout);
        return 0;
    }
    if (!FileAttributes::exists(input)) {
        std::printf("ERROR: The file '%s' does NOT exist\n", input.c_str());
        return 0;
    }
    std::FILE* in = FileAttributes::isDirectory(input) ? nullptr : std::fopen(input.c_str(), "rb");
    if (in == nullptr) {
        std::printf("ERROR: Unable to open %s\n", input.c_str());
        return 0;
    }
    TextLineReader reader(in);
    const LogShape shape = firstPass(reader);

    std::vector<std::unique_ptr<UnitFileWriter>> files(kMaxUnit + 1);
    for (int unit = 1; unit <= kMaxUnit; ++unit) {
        if (shape.unitLines[static_cast<std::size_t>(unit)] == 0) {
            continue;
        }
        const std::string name = outputName(input, unit, m_style);
        std::printf("%s\n", name.c_str());
        const bool isInput = FileAttributes::isSameFile(name, input);
        if (!isInput && FileAttributes::exists(name) && !FileAttributes::isDirectory(name)) {
            FileAttributes::clearReadOnly(name);
        }
        auto file = std::make_unique<UnitFileWriter>(name, input);
        if (isInput || !file->open()) {
            std::printf("ERROR: Unable to open %s\n", name.c_str());
            continue;
        }
        if (!dump && shape.hasHeader) {
            file->append(shape.header);
            file->append("\r\n", 2);
        }
        files[static_cast<std::size_t>(unit)] = std::move(file);
    }

    std::vector<bool> headed(kMaxUnit + 1, false);
    reader.rewind();
    std::string_view line;
    if (shape.hasHeader) {
        reader.next(line);
    }
    for (unsigned long long i = 0; i < shape.dataLines && reader.next(line); ++i) {
        const int unit = unitForWriting(line, m_style);
        if (unit < 1 || unit > kMaxUnit || !files[static_cast<std::size_t>(unit)]) {
            continue;
        }
        UnitFileWriter& file = *files[static_cast<std::size_t>(unit)];
        if (!dump) {
            if (line.size() + 2 <= UnitFileWriter::kBufferSize / 2) {
                char* out = file.reserve(line.size() + 2);
                std::copy(line.begin(), line.end(), out);
                out[line.size()] = '\r';
                out[line.size() + 1] = '\n';
                file.commit(line.size() + 2);
            } else {
                file.append(line.data(), line.size());
                file.append("\r\n", 2);
            }
            continue;
        }
        if (!headed[static_cast<std::size_t>(unit)]) {
            headed[static_cast<std::size_t>(unit)] = true;
            file.append(dumpHeading(line));
        }
        file.commit(dumpLine(line, file.reserve(kMaxDumpLine)));
    }

    for (int unit = 1; unit <= kMaxUnit; ++unit) {
        std::unique_ptr<UnitFileWriter>& file = files[static_cast<std::size_t>(unit)];
        if (!file) {
            continue;
        }
        if (!dump && shape.hasTrailer) {
            file->append(shape.trailer);
            file->append("\r\n", 2);
        }
        file->close();
        FileAttributes::setReadOnly(file->path());
    }
    std::fclose(in);
    return 0;
}

} // namespace logtools
