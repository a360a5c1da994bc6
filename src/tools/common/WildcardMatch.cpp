#include "tools/common/WildcardMatch.h"

#include "base/FileAttributes.h"

#include <filesystem>
#include <system_error>

namespace logtools {

namespace fs = std::filesystem;

namespace {

bool isSeparator(char c) {
#if defined(_WIN32)
    return c == '\\' || c == '/' || c == ':';
#else
    return c == '/';
#endif
}

} // namespace

bool WildcardMatch::hasWildcards(std::string_view pattern) {
    return pattern.find_first_of("*?") != std::string_view::npos;
}

bool WildcardMatch::matches(std::string_view pattern, std::string_view name) {
    // Greedy scan that returns to the last "*" on a mismatch: linear in practice, and never
    // worse than pattern length times name length.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

bool WildcardMatch::findFirst(const std::string& argument, std::string& path) {
    std::size_t cut = argument.size();
    while (cut > 0 && !isSeparator(argument[cut - 1])) {
        --cut;
    }
    const std::string folder = argument.substr(0, cut);
    const std::string pattern = argument.substr(cut);
    if (!hasWildcards(pattern)) {
        if (pattern.empty() || !FileAttributes::exists(argument)) {
            return false;
        }
        path = argument;
        return true;
    }

    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    bool found = false;
    std::string best;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (matches(pattern, name) && (!found || name < best)) {
            best = name;
            found = true;
        }
    }
    if (!found) {
        return false;
    }
    path = folder + best;
    return true;
}

} // namespace logtools
