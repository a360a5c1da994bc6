#pragma once

#include <string>
#include <string_view>

namespace logtools {

// Name patterns with "*" (any run of characters) and "?" (any one character).
class WildcardMatch {
public:
    static bool hasWildcards(std::string_view pattern);
    static bool matches(std::string_view pattern, std::string_view name);

    // The first entry, in name order, of the argument's folder whose name matches the
    // argument's last component; path is the argument with that component replaced by the
    // name. An argument without wildcards matches itself when it exists.
    static bool findFirst(const std::string& argument, std::string& path);
};

} // namespace logtools
