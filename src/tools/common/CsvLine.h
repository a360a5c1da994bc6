#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

private:
    static constexpr int kMaxQuickField = 8;

    // Goes on splitting from pos with found fields found. keepAll: store every field from
    // fields[found] on, and clear the rest up to maxFields; else store only field maxFields, in
    // fields[0].
    static int fieldsFrom(std::string_view line, std::size_t pos, int found, int maxFields,
                          std::string_view* fields, bool keepAll);
};

// Inline: these run several times on every line of a log.
inline bool CsvLine::isDataLine(std::string_view l) {
    return l.size() > kStampLength && l[2] == '/' && l[5] == '/' && l[8] == ',' && l[11] == ':' &&
           l[14] == ':' && l[17] == ',';
}

inline std::string_view CsvLine::field(std::string_view line, int n) {
    if (n >= 1 && n <= kMaxQuickField) {
        std::string_view fields[kMaxQuickField];
        return split(line, fields, n) == n ? fields[n - 1] : std::string_view();
    }
    std::string_view none;
    return fieldsFrom(line, 0, 0, n, &none, false) == n ? none : std::string_view();
}

inline int CsvLine::split(std::string_view line, std::string_view* fields, int maxFields) {
    int found = 0;
    std::size_t pos = 0;
#if defined(__SSE2__)
    // The commas of the first 64 characters as bits, 16 characters at a time: the first
    // fields of a log line are then found with a few bit operations rather than a loop per
    // character. Only whole 16-character blocks inside the line are loaded.
    const std::size_t size = line.size();
    const std::size_t blocks = size < 64 ? size / 16 : 4;
    const __m128i comma = _mm_set1_epi8(',');
    std::uint64_t commas = 0;
    for (std::size_t b = 0; b < blocks; ++b) {
        const __m128i chunk =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + b * 16));
        const unsigned bits =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, comma)));
        commas |= static_cast<std::uint64_t>(bits) << (b * 16);
    }
    const std::size_t covered = blocks * 16;
    while (found < maxFields && pos < covered) {
        const std::uint64_t nonCommas = ~commas >> pos;
        if (nonCommas == 0) {
            pos = covered; // nothing but commas to the end of the blocks
            break;
        }
        const std::size_t start = pos + static_cast<std::size_t>(__builtin_ctzll(nonCommas));
        if (start >= covered) {
            pos = covered;
            break;
        }
        const std::uint64_t after = commas >> start;
        if (after == 0) {
            if (covered == size) {
                fields[found++] = line.substr(start);
                pos = size;
            } else {
                pos = start; // the field runs past the blocks: the loop below finishes it
            }
            break;
        }
        const std::size_t end = start + static_cast<std::size_t>(__builtin_ctzll(after));
        fields[found++] = line.substr(start, end - start);
        pos = end;
    }
#endif
    return fieldsFrom(line, pos, found, maxFields, fields, true);
}

inline int CsvLine::fieldsFrom(std::string_view line, std::size_t pos, int found, int maxFields,
                               std::string_view* fields, bool keepAll) {
    const std::size_t size = line.size();
    while (found < maxFields && pos < size) {
        while (pos < size && line[pos] == ',') {
            ++pos;
        }
        if (pos >= size) {
            break;
        }
        const std::size_t start = pos;
        while (pos < size && line[pos] != ',') {
            ++pos;
        }
        ++found;
        if (keepAll || found == maxFields) {
            fields[keepAll ? found - 1 : 0] = line.substr(start, pos - start);
        }
    }
    if (keepAll) {
        for (int k = found; k < maxFields; ++k) {
            fields[k] = std::string_view();
        }
    }
    return found;
}

inline int CsvLine::toInt(std::string_view text) {
    std::size_t pos = 0;
    const std::size_t size = text.size();
    while (pos < size && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) {
        ++pos;
    }
    bool negative = false;
    if (pos < size && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    long long value = 0;
    for (; pos < size && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        if (value <= static_cast<long long>(INT_MAX) + 1) {
            value = value * 10 + (text[pos] - '0');
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

} // namespace logtools
