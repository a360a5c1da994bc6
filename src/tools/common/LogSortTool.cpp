#include "tools/common/LogSortTool.h"

#include "tools/common/FileAttributes.h"
#include "tools/common/LargeBuffer.h"
#include "tools/common/LogRecord.h"
#include "tools/common/RecordSorter.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace logtools {

namespace {

constexpr std::size_t kChunkRecords = 100000;
constexpr std::size_t kSize = LogRecord::kSize;

class FileCloser {
public:
    explicit FileCloser(std::FILE* file) : m_file(file) {}
    ~FileCloser() {
        if (m_file != nullptr) {
            std::fclose(m_file);
        }
    }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;
    std::FILE* get() const { return m_file; }

private:
    std::FILE* m_file;
};

// Reads the first recordCount records in chunks and hands each chunk to use. False when the
// file ends early or use refuses a chunk.
template <typename Use>
bool readRecords(std::FILE* file, std::size_t recordCount, unsigned char* chunk, Use use) {
    std::size_t left = recordCount;
    while (left > 0) {
        const std::size_t want = left < kChunkRecords ? left : kChunkRecords;
        const std::size_t got = std::fread(chunk, kSize, want, file);
        if (got != want) {
            return false;
        }
        if (!use(chunk, got)) {
            return false;
        }
        left -= got;
    }
    return true;
}

} // namespace

int LogSortTool::run(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("USAGE:  logsort <input_file> <output_file>\n", stdout);
        return 0;
    }
    const std::string input = argv[1];
    const std::string output = argv[2];
    if (!FileAttributes::exists(input)) {
        std::printf("ERROR: The file '%s' does NOT exist\n", input.c_str());
        return 0;
    }
    if (FileAttributes::isDirectory(input)) {
        return 0;
    }
    FileCloser in(std::fopen(input.c_str(), "rb"));
    if (in.get() == nullptr) {
        return 0;
    }
    if (FileAttributes::exists(output) && FileAttributes::isSameFile(output, input)) {
        // Truncating the output would destroy the records before they are read.
        std::printf("ERROR: The output file '%s' is the input file\n", output.c_str());
        return 0;
    }
    if (!FileAttributes::mayReplace(output, input)) {
        return 0;
    }
    FileCloser out(std::fopen(output.c_str(), "wb"));
    if (out.get() == nullptr) {
        return 0;
    }

    const unsigned long long length = FileAttributes::size(input);
    const unsigned long long size = length - length % kSize;
    if (size == 0) {
        return 0;
    }
    LargeBuffer buffer;
    if (size + 1 > static_cast<unsigned long long>(SIZE_MAX) ||
        !buffer.allocate(static_cast<std::size_t>(size + 1))) {
        std::printf("ERROR: Unable to ALLOCATE %llu bytes\n", size + 1);
        return 0;
    }
    std::unique_ptr<unsigned char[]> chunk(new unsigned char[kChunkRecords * kSize]);
    const std::size_t recordCount = static_cast<std::size_t>(size / kSize);

    RecordSorter sorter;
    const bool counted = readRecords(in.get(), recordCount, chunk.get(),
                                     [&sorter](const unsigned char* records, std::size_t n) {
                                         sorter.count(records, n);
                                         return true;
                                     });
    bool placed = false;
    std::size_t kept = 0;
    if (counted && std::fseek(in.get(), 0, SEEK_SET) == 0) {
        sorter.beginPlacing(buffer.data());
        placed = readRecords(in.get(), recordCount, chunk.get(),
                             [&sorter](const unsigned char* records, std::size_t n) {
                                 return sorter.place(records, n);
                             }) &&
                 sorter.finish(kept);
    }
    if (!placed) {
        std::fputs("ERROR: Unable to READ the entire input file into memory\n", stdout);
        return 0;
    }
    std::fwrite(buffer.data(), kSize, kept, out.get());
    return 0;
}

} // namespace logtools
