#pragma once

#include "app/Language.h"
#include "net/LineHealth.h"

#include <cstdint>
#include <string>

// The line health table as text, for a console: a heading line, then one line per unit, the
// failing units first.
class LineHealthTable {
public:
    static std::string Text(const LineHealth& health, std::int64_t now,
                            Language language = Language::English);
    // The unit's figures in one short paragraph, for the kiln list's tooltip.
    static std::string TipText(const UnitLineHealth& unit, std::int64_t now,
                               Language language = Language::English);
    // "12:03:05" of a local time in seconds since 2000; "--" for none.
    static std::string ClockText(std::int64_t time);
    // "45 s", "12 min 03 s", "3 h 07 min"; "--" for a negative length.
    static std::string AgeText(std::int64_t seconds);
};
