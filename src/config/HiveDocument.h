#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The contents of a hive file: registry keys and values in the text form of the registry
// editor's export files, so a site can carry its settings over from a Windows PC and back.
//
// Accepted input: UTF-8 (a byte-order mark is skipped) or UTF-16 LE with its byte-order mark,
// as the Windows registry editor exports; LF or CR LF line ends. The first line must be
// "Windows Registry Editor Version 5.00". After it come blank lines, comment lines starting
// with ';', key lines "[HKEY_...\path]" and value lines under a key:
//   "name"="text"        text with the escapes \\ and \" only        (type 1)
//   "name"=dword:2bc     one to eight hex digits                        (type 4)
//   "name"=hex:20,00     bytes; a line ending in '\' continues          (type 3)
//   "name"=hex(N):...    bytes of any other type N (hex)
// and @ in place of "name" for a key's default value. Key and value names compare
// case-insensitively (ASCII letters); all other bytes, non-ASCII ones included, are kept as
// they are.
//
// A file "does not parse" when it is larger than kMaxFileBytes, lacks the header (a REGEDIT4
// file included), is UTF-16 without the LE byte-order mark, holds a zero byte or an unpaired
// surrogate, or has any line that is none of the above: unknown escapes, bad or truncated hex,
// an unterminated string or key, a value line before the first key, deletion lines ("[-KEY]",
// "name"=-), or the same key or value name twice. Such a file is never rewritten, because a
// rewrite could not keep what the program does not understand.
//
// Output is UTF-8 without a byte-order mark with CR LF line ends. Lines the program does not
// change (keys, values, comments, blank lines and their order) are written back as they were
// read; changed values are written in the registry editor's layout; new keys go at the end.
class HiveDocument {
public:
    static constexpr std::size_t kMaxFileBytes = 16u * 1024u * 1024u;
    static constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

    struct Value {
        std::string name; // empty: the key's default value
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;

        bool operator==(const Value&) const = default;
    };

    enum class SetOutcome { NoSuchKey, Unchanged, Changed };

    // Where and why a file does not parse; line counts from 1, 0 for the file as a whole.
    struct ParseError {
        std::size_t line = 0;
        std::string reason;
    };

    // False when the file does not parse; out is then left as it was, and error (if given)
    // says where and why.
    static bool Parse(std::string_view file, HiveDocument& out, ParseError* error = nullptr);
    std::string Serialize() const;

    // Paths are full key paths with the root, e.g. "HKEY_LOCAL_MACHINE\SOFTWARE\x". A key also
    // exists when only keys below it are listed, as the registry editor's import treats it.
    bool KeyExists(std::string_view path) const;
    // True when the key was not there and has been added.
    bool CreateKey(std::string_view path);
    const Value* FindValue(std::string_view path, std::string_view name) const;
    SetOutcome SetValue(std::string_view path, const Value& value);

    // The registry editor's text of one value line (continuation lines joined by CR LF).
    static std::string FormatValue(const Value& value);

    // The same keys, values and lines, in the same order.
    bool operator==(const HiveDocument&) const = default;

private:
    struct Entry {
        std::string raw; // the line(s) as read or formatted, without the final line end
        bool isValue = false;
        Value value;

        bool operator==(const Entry&) const = default;
    };
    struct Section {
        std::string raw;    // the key line
        std::string folded; // canonical, case-folded path for comparisons
        std::vector<Entry> entries;

        bool operator==(const Section&) const = default;
    };

    static std::string Fold(std::string_view path);
    const Section* FindSection(const std::string& folded) const;
    Section* FindSection(const std::string& folded);
    Section& AppendSection(std::string_view path);

    std::vector<Entry> m_preamble; // blank and comment lines before the first key
    std::vector<Section> m_sections;
};
