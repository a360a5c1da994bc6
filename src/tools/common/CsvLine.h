#pragma once

#include <cstddef>
#include <string_view>

namespace logtools {

// Reading of the PC log's comma-separated lines.
class CsvLine {
public:
    // Column where the data lines' date and time stamp ends ("MM/DD/YY,hh:mm:ss,").
    static constexpr std::size_t kStampLength = 18;

    // A line longer than the stamp that starts with a date and time stamp.
    static bool isDataLine(std::string_view line);

    // Splits the line at commas, skipping empty pieces, into at most maxFields fields (field 1
    // is fields[0]). Returns how many were found; the rest are left empty.
    static int split(std::string_view line, std::string_view* fields, int maxFields);

    // Field n (from 1) or an empty view when the line has fewer fields.
    static std::string_view field(std::string_view line, int n);

    // Leading white space, an optional sign and decimal digits, stopping at anything else; no
    // digits give 0 and values beyond int are held at its limits.
    static int toInt(std::string_view text);

    // Field 3 as a unit ID, 0 when it is missing or not a number.
    static int unitOf(std::string_view line) { return toInt(field(line, 3)); }
};

} // namespace logtools
