#include "tools/common/CsvLine.h"

namespace logtools {

int CsvLine::split(std::string_view line, std::string_view* fields, int maxFields) {
    int found = 0;
    std::size_t pos = 0;
    const std::size_t size = line.size();
    while (found < maxFields && pos < size) {
        while (pos < size && line[pos] == ',') {
            ++pos;
        }
        if (pos >= size) {
            break;
        }
        const std::size_t start = pos;
        while (pos < size && line[pos] != ',') {
            ++pos;
        }
        fields[found++] = line.substr(start, pos - start);
    }
    for (int i = found; i < maxFields; ++i) {
        fields[i] = std::string_view();
    }
    return found;
}

} // namespace logtools
