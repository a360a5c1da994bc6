#include "LogTreatTool.h"

int main(int argc, char** argv) {
    logtools::LogTreatTool tool;
    return tool.run(argc, argv);
}
