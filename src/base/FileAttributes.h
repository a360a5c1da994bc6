#pragma once

#include <string>

// File checks and attributes of the PC log writer and the converters. On Windows these are the
// file attributes themselves. Elsewhere the read-only attribute maps to the write permission
// bits: read-only means no write bit at all, and clearing it gives the owner write permission
// back; there is no hidden attribute, so hiding does nothing. An attribute is changed on a file
// only, never on a folder or a device; a change that fails returns false and leaves the file as
// it was.
class FileAttributes {
public:
    static bool exists(const std::string& path);
    static bool isDirectory(const std::string& path);
    static bool isReadOnly(const std::string& path);
    static bool setReadOnly(const std::string& path);
    static bool clearReadOnly(const std::string& path);
    static bool setHidden(const std::string& path, bool hidden);

    // Both names lead to one existing file (links included).
    static bool isSameFile(const std::string& a, const std::string& b);

    // Length in bytes, 0 when it cannot be read.
    static unsigned long long size(const std::string& path);

    // An output may be opened for writing: it is not the given input and, when it exists, not
    // read-only. The administrator may write to read-only files, so the attribute is honoured
    // here rather than left to the open call.
    static bool mayReplace(const std::string& output, const std::string& input);
};
