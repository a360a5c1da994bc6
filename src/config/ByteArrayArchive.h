#pragma once

#include <cstdint>
#include <span>
#include <vector>

// The archive form in which a byte array is stored as a binary registry value: an element
// count, then the bytes. The count takes 16 bits little-endian below 0xFFFF; from 0xFFFF up
// it is the 16-bit marker 0xFFFF followed by the count in 32 bits little-endian. Values
// written by earlier versions of the program use this form, so it must not change.
class ByteArrayArchive {
public:
    static std::vector<std::uint8_t> Store(std::span<const std::uint8_t> bytes);

    // Reads an archived array from exactly the bytes given and never looks past them. A count
    // that claims more bytes than follow yields the bytes that are there; a value too short to
    // hold its count yields an empty array.
    static std::vector<std::uint8_t> Load(std::span<const std::uint8_t> stored);
};
