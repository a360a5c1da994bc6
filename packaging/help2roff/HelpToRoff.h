#pragma once

#include <string>
#include <vector>

// Turns a program's --help text into a manual page, so that the page says what the program
// itself says and cannot fall behind it.
//
// The help text is read the way the programs write it: a "Usage:" (or "USAGE:", "Uso:") line,
// possibly continued on indented lines, becomes the synopsis; an unindented line ending in a
// colon becomes a subsection; an indented "term  description" line (two or more spaces between
// them) becomes a tagged paragraph, continued by the deeper-indented lines under it; other
// indented lines are shown as typed (examples); the rest is running text, with blank lines
// between paragraphs.
class HelpToRoff {
public:
    struct Page {
        std::string name;    // the program, as typed
        std::string section; // "1"
        std::string summary; // the NAME line after the dash
        std::string version; // "kilnwatch 1.50", the footer's source
        std::string date;    // the footer's date, e.g. 2026-12-07
        std::string manual;  // the header's centre
        std::vector<std::string> seeAlso;
    };

    static std::string Convert(const Page& page, const std::string& help);

    // Text made safe for roff, in running text and macro arguments alike: backslashes, hyphens
    // and double quotes escaped, a leading dot or apostrophe
    // defused, and every character beyond ASCII written as a Unicode escape (bytes that are
    // not UTF-8 become '?').
    static std::string Escape(const std::string& text);
};
