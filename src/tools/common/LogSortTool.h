#pragma once

namespace logtools {

// logsort <input_file> <output_file>: the records of a log data file in record order, each
// distinct record once.
class LogSortTool {
public:
    int run(int argc, char** argv);
};

} // namespace logtools
