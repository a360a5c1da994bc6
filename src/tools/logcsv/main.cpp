#include "tools/common/CsvSplitTool.h"

int main(int argc, char** argv) {
    logtools::CsvSplitTool tool(logtools::CsvSplitTool::Style::Csv);
    return tool.run(argc, argv);
}
