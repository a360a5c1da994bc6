#pragma once

#include "tools/cert/CertificateOptions.h"
#include "tools/treat/TreatmentRecord.h"

#include <string>
#include <vector>

namespace logtools {

// The words of one unit's certificate page, in the language asked for, worked out from the
// treatment record alone so that every front end prints the same page for the same record.
struct CertificatePage {
    struct SourceFile {
        std::string name;
        std::string sha256; // empty when the file was not read to its end
    };

    std::string title;
    std::string site;     // empty when none was given
    std::string facility; // "Registration / certification no.: ..." or empty
    std::string description;
    std::string farmAndUnit;
    bool treated = false;
    std::string verdict; // TREATED or NOT TREATED, in the page's language
    std::string lacking; // what a NOT TREATED charge lacked; empty when treated
    std::vector<std::string> rule;
    std::vector<std::string> evidence; // the stretch, its lowest core, the record's lines
    std::string filesHeading;
    std::vector<SourceFile> files;
    std::string hashMissing;            // shown for a file without a hash
    std::vector<std::string> signature; // the labels of the signature line
    std::string footer;                 // program and version; the page number is added
    std::string pageOf;                 // "Page %1 of %2" with the numbers to fill in

    // The chart's words.
    std::string axisTime;
    std::string axisDegrees;
    std::vector<std::string> legend; // core 1-3, chamber, threshold, stretch, gap, sensor fault
    std::string noReadings;

    static CertificatePage build(const TreatmentRecord& record, const UnitTreatment& unit,
                                 const CertificateOptions& options);

    // "Page 2 of 5".
    std::string pageText(int page, int pages) const;

    // The farm number a PC log's name starts with ("001_061206_081500.CSV" is farm 1), or 0.
    static int farmOfLogName(const std::string& path);
    // Text that any PDF reader can show: valid UTF-8 kept, other bytes read as Latin-1 (a log
    // written by an older Windows PC), control characters as "?", cut to maxLength characters.
    static std::string printable(const std::string& text, std::size_t maxLength);
};

} // namespace logtools
