#include "tools/common/RecordSplitTool.h"

int main(int argc, char** argv) {
    logtools::RecordSplitTool tool(logtools::RecordSplitTool::Style::Csv);
    return tool.run(argc, argv);
}
