#pragma once

#include "base/PcLogLine.h"

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
    static constexpr std::size_t kStampLength = PcLogLine::kStampLength;

    // A line longer than the stamp that starts with a date and time stamp.
    static bool isDataLine(std::string_view line);

    // Splits the line at commas, skipping empty pieces, into at most maxFields fields (field 1
    // is fields[0]). Returns how many were found; the rest are left empty.
    static int split(std::string_view line, std::string_view* fields, int maxFields);

    // Field n (from 1) or an empty view when the line has fewer fields.
    static std::string_view field(std::string_view line, int n);

    // A field's place in its line. Plain data, unlike string_view, so that the hot paths can
    // declare arrays of them without the compiler clearing the arrays first.
    struct Span {
        std::size_t start;
        std::size_t length;
    };

    // Like split, but fills only spans[0] to spans[found - 1].
    static int splitSpans(std::string_view line, Span* spans, int maxFields);

    // Leading white space, an optional sign and decimal digits, stopping at anything else; no
    // digits give 0 and values beyond int are held at its limits.
    static int toInt(std::string_view text);

    // Field 3 as a unit ID, 0 when it is missing or not a number.
    static int unitOf(std::string_view line) { return toInt(field(line, 3)); }

private:
    // Goes on splitting from pos, where found fields have been found already.
    static int spansFrom(std::string_view line, std::size_t pos, int found, Span* spans,
                         int maxFields);
};

// Inline: these run several times on every line of a log.
inline bool CsvLine::isDataLine(std::string_view l) {
    return l.size() > kStampLength && l[2] == '/' && l[5] == '/' && l[8] == ',' && l[11] == ':' &&
           l[14] == ':' && l[17] == ',';
}

inline std::string_view CsvLine::field(std::string_view line, int n) {
    if (n < 1) {
        return {};
    }
    constexpr int kQuickFields = 8;
    if (n <= kQuickFields) {
        Span spans[kQuickFields];
        if (splitSpans(line, spans, n) != n) {
            return {};
        }
        return line.substr(spans[n - 1].start, spans[n - 1].length);
    }
    // Rare: one field at a time, keeping only the last.
    Span span{};
    std::size_t pos = 0;
    for (int found = 0; found < n; ++found) {
        if (spansFrom(line, pos, 0, &span, 1) == 0) {
            return {};
        }
        pos = span.start + span.length;
    }
    return line.substr(span.start, span.length);
}

inline int CsvLine::split(std::string_view line, std::string_view* fields, int maxFields) {
    constexpr int kChunk = 16;
    int found = 0;
    std::size_t pos = 0;
    Span spans[kChunk];
    while (found < maxFields) {
        const int want = maxFields - found < kChunk ? maxFields - found : kChunk;
        const int got =
            found == 0 ? splitSpans(line, spans, want) : spansFrom(line, pos, 0, spans, want);
        for (int k = 0; k < got; ++k) {
            fields[found++] = line.substr(spans[k].start, spans[k].length);
        }
        if (got < want) {
            break;
        }
        pos = spans[got - 1].start + spans[got - 1].length;
    }
    for (int k = found; k < maxFields; ++k) {
        fields[k] = std::string_view();
    }
    return found;
}

inline int CsvLine::splitSpans(std::string_view line, Span* spans, int maxFields) {
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
        // Bits at and above covered are clear in commas, so past the blocks everything looks
        // like a field start; such a start is left to the loop below.
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
                spans[found++] = Span{start, size - start};
                pos = size;
            } else {
                pos = start; // the field runs past the blocks: the loop below finishes it
            }
            break;
        }
        const std::size_t end = start + static_cast<std::size_t>(__builtin_ctzll(after));
        spans[found++] = Span{start, end - start};
        pos = end;
    }
#endif
    return spansFrom(line, pos, found, spans, maxFields);
}

inline int CsvLine::spansFrom(std::string_view line, std::size_t pos, int found, Span* spans,
                              int maxFields) {
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
        spans[found++] = Span{start, pos - start};
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
