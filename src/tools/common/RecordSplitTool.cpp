#include "tools/common/RecordSplitTool.h"

#include "tools/common/FileAttributes.h"
#include "tools/common/LogRecord.h"
#include "tools/common/NumberText.h"
#include "tools/common/RecordLineFormatter.h"
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
    if (argc < 2) {
        std::fputs(dump ? "USAGE:  logdump <input_file>\n" : "USAGE:  logsplit <input_file>\n",
                   stdout);
        return 0;
    }
    const std::string input = argv[1];
    if (!FileAttributes::exists(input)) {
        std::printf("ERROR: The file '%s' does NOT exist\n", input.c_str());
        return 0;
    }
    if (FileAttributes::isDirectory(input)) {
        return 0;
    }
    std::FILE* in = std::fopen(input.c_str(), "rb");
    if (in == nullptr) {
        return 0;
    }
    const unsigned long long recordCount = FileAttributes::size(input) / kSize;

    // Unit files, made when a unit first shows up. The current unit starts as none at all, so
    // that records of unit 0 at the front get a file like any other unit's.
    std::array<std::unique_ptr<UnitFileWriter>, 256> files;
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
                }
                out = slot.get();
                out->hold(true);
                out->open();
                std::printf("BUILDING: %s\n", fileName.c_str());
                current = record.unit;
                if (dump) {
                    out->append(RecordLineFormatter::dumpOpening(record));
                }
            }
            if (!out->isOpen()) {
                continue;
            }
            char* line = out->reserve(RecordLineFormatter::kMaxLine);
            out->commit(dump ? RecordLineFormatter::dumpLine(record, line)
                             : formatter.csvLine(record, line));
        }
        if (got != want) {
            break;
        }
        left -= got;
    }
    for (std::unique_ptr<UnitFileWriter>& file : files) {
        if (file) {
            file->close();
        }
    }
    std::fclose(in);
    return 0;
}

} // namespace logtools
