#include "tools/common/RecordSplitTool.h"

#include "base/FileAttributes.h"
#include "tools/common/LogRecord.h"
#include "tools/common/NumberText.h"
#include "tools/common/RecordLineFormatter.h"
#include "tools/common/ToolHelp.h"
#include "tools/common/UnitFileWriter.h"

#include <array>
#include <cstdio>
#include <memory>
#include <string>

namespace logtools {

namespace {
constexpr std::size_t kChunkRecords = 65536;
constexpr std::size_t kSize = LogRecord::kSize;
} // namespace

int RecordSplitTool::run(int argc, char** argv) {
    const bool dump = m_style == Style::Dump;
    const char* const usage =
        dump ? "USAGE:  logdump <input_file>\n" : "USAGE:  logsplit <input_file>\n";
    if (isHelpRequest(argc, argv)) {
        return printHelp(
            usage,
            dump ? "Writes each unit's records of a log data file sorted by unit as a dump table\n"
                   "to NNN.TXT in the current folder.\n"
                   "\n"
                   "Each file starts with a heading (the date and time of the unit's first "
                   "record) and\n"
                   "shows a line per record: alarm code, dry, wet 1 and wet 2 readings. "
                   "NNN is the\n"
                   "unit's number (001.TXT, 002.TXT, ...). Sort the file with logsort first: a "
                   "unit that\n"
                   "shows up again starts its file anew.\n"
                   "\n"
                   "Example:\n"
                   "  logdump sorted.dat\n"
                   "\n"
                   "Messages go to standard output. Exit status: 0 when every file was written, "
                   "1 otherwise.\n"
                 : "Writes each unit's records of a log data file sorted by unit as\n"
                   "comma-separated lines to NNN.TXT in the current folder.\n"
                   "\n"
                   "Each line holds a record's date, time, unit, alarm code and dry, wet 1 and "
                   "wet 2 readings;\n"
                   "NNN is the unit's number (001.TXT, 002.TXT, ...). Sort the file with logsort "
                   "first: a\n"
                   "unit that shows up again starts its file anew.\n"
                   "\n"
                   "Example:\n"
                   "  logsplit sorted.dat\n"
                   "\n"
                   "Messages go to standard output. Exit status: 0 when every file was written, "
                   "1 otherwise.\n");
    }
    if (argc < 2) {
        std::fputs(usage, stdout);
        return 1;
    }
    const std::string input = argv[1];
    if (!FileAttributes::exists(input)) {
        std::printf("ERROR: The file '%s' does NOT exist\n", input.c_str());
        return 1;
    }
    if (FileAttributes::isDirectory(input)) {
        std::printf("ERROR: '%s' is a folder, not a log data file\n", input.c_str());
        return 1;
    }
    std::FILE* in = std::fopen(input.c_str(), "rb");
    if (in == nullptr) {
        std::printf("ERROR: Unable to open %s\n", input.c_str());
        return 1;
    }
    const unsigned long long length = FileAttributes::size(input);
    const unsigned long long recordCount = length / kSize;
    if (recordCount == 0) {
        std::printf("WARNING: The file '%s' holds no whole record (%llu bytes)\n", input.c_str(),
                    length);
    }

    // Unit files, made when a unit first shows up. The current unit starts as none at all, so
    // that records of unit 0 at the front get a file like any other unit's.
    std::array<std::unique_ptr<UnitFileWriter>, 256> files;
    // Lines given to each file since it was last opened: lost if writing it fails.
    std::array<unsigned long long, 256> linesSinceOpen{};
    unsigned long long lost = 0;
    bool failed = false;
    const auto checkWritten = [&](int unit) {
        UnitFileWriter& file = *files[static_cast<std::size_t>(unit)];
        if (file.failed()) {
            std::printf("ERROR: Unable to write %s\n", file.path().c_str());
            lost += linesSinceOpen[static_cast<std::size_t>(unit)];
            failed = true;
        }
        linesSinceOpen[static_cast<std::size_t>(unit)] = 0;
    };
    int current = -1;
    UnitFileWriter* out = nullptr;
    RecordLineFormatter formatter;
    std::unique_ptr<unsigned char[]> chunk(new unsigned char[kChunkRecords * kSize]);
    char name[16];

    unsigned long long left = recordCount;
    while (left > 0) {
        const std::size_t want =
            left < kChunkRecords ? static_cast<std::size_t>(left) : kChunkRecords;
        const std::size_t got = std::fread(chunk.get(), kSize, want, in);
        for (std::size_t i = 0; i < got; ++i) {
            const LogRecord record = LogRecord::decode(chunk.get() + i * kSize);
            if (record.unit != current) {
                if (out != nullptr) {
                    out->hold(false);
                }
                char* end = NumberText::zeroPadded(name, record.unit, 3);
                std::string fileName(name, end);
                fileName += ".TXT";
                std::unique_ptr<UnitFileWriter>& slot =
                    files[static_cast<std::size_t>(record.unit)];
                if (!slot) {
                    slot = std::make_unique<UnitFileWriter>(fileName, input,
                                                            UnitFileWriter::kLargeBufferSize);
                } else {
                    checkWritten(record.unit);
                }
                out = slot.get();
                out->hold(true);
                if (out->open()) {
                    std::printf("BUILDING: %s\n", fileName.c_str());
                } else {
                    std::printf("ERROR: Unable to open %s\n", fileName.c_str());
                    failed = true;
                }
                current = record.unit;
                if (dump) {
                    out->append(RecordLineFormatter::dumpOpening(record));
                }
            }
            if (!out->isOpen()) {
                ++lost;
                continue;
            }
            ++linesSinceOpen[static_cast<std::size_t>(record.unit)];
            char* line = out->reserve(RecordLineFormatter::kMaxLine);
            out->commit(dump ? RecordLineFormatter::dumpLine(record, line)
                             : formatter.csvLine(record, line));
        }
        if (got != want) {
            std::printf("ERROR: Unable to READ the entire input file %s\n", input.c_str());
            failed = true;
            break;
        }
        left -= got;
    }
    for (std::size_t unit = 0; unit < files.size(); ++unit) {
        if (files[unit] && files[unit]->isOpen()) {
            files[unit]->close();
            checkWritten(static_cast<int>(unit));
        }
    }
    std::fclose(in);
    if (lost > 0) {
        std::printf("ERROR: %llu of %llu lines could not be written\n", lost, recordCount);
    }
    return failed ? 1 : 0;
}

} // namespace logtools
