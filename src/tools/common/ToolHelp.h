#pragma once

#include <cstdio>
#include <cstring>

namespace logtools {

// "--help" or "-h" as the first argument asks for the usage and what the tool does, rather
// than naming an input file.
inline bool isHelpRequest(int argc, char** argv) {
    return argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
}

inline int printHelp(const char* usage, const char* sentence) {
    std::fputs(usage, stdout);
    std::fputs(sentence, stdout);
    return 0;
}

} // namespace logtools
