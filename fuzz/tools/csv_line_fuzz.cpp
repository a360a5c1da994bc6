// Any bytes as a PC log: the line reader gives lines without line ends that add up to the input,
// and every field reading and dump formatting stays inside the line.
#include "tools/common/CsvLine.h"
#include "tools/common/CsvSplitTool.h"
#include "tools/common/TextLineReader.h"
#include "tools/common/WildcardMatch.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace logtools;

namespace {
void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    std::FILE* file = std::tmpfile();
    if (file == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::rewind(file);

    TextLineReader reader(file);
    std::vector<std::string> lines;
    std::size_t consumed = 0;
    std::string_view line;
    while (reader.next(line)) {
        check(line.find('\n') == std::string_view::npos);
        consumed += line.size();
        lines.emplace_back(line);

        std::string_view fields[6];
        const int found = CsvLine::split(line, fields, 6);
        check(found >= 0 && found <= 6);
        for (int i = 0; i < found; ++i) {
            check(!fields[i].empty() && fields[i].find(',') == std::string_view::npos);
            check(fields[i].data() >= line.data() &&
                  fields[i].data() + fields[i].size() <= line.data() + line.size());
        }
        (void)CsvLine::isDataLine(line);
        (void)CsvLine::unitOf(line);
        (void)CsvSplitTool::unitForWriting(line, CsvSplitTool::Style::Csv);
        check(CsvSplitTool::dumpHeading(line).size() < 160);
        char out[CsvSplitTool::kMaxDumpLine];
        check(CsvSplitTool::dumpLine(line, out) <= sizeof out);
    }
    // Every byte is in a line or in a line end (LF, or CR LF).
    check(consumed <= size && size - consumed <= 2 * lines.size());

    check(reader.rewind());
    for (const std::string& expected : lines) {
        check(reader.next(line) && line == expected);
    }
    check(!reader.next(line));
    std::fclose(file);

    if (lines.size() >= 2) {
        (void)WildcardMatch::matches(lines[0].substr(0, 64), lines[1].substr(0, 256));
    }
    return 0;
}
