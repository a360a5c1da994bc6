#include "tools/common/LogSortTool.h"

int main(int argc, char** argv) {
    logtools::LogSortTool tool;
    return tool.run(argc, argv);
}
