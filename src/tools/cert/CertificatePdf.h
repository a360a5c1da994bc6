#pragma once

#include "tools/cert/CertificateOptions.h"
#include "tools/treat/TreatmentRecord.h"

#include <string>
#include <vector>

namespace logtools {

// Writes the treatment certificate of a finished record as one PDF: a page per unit, in unit
// order. The same record and options give the same bytes: the document's date is the record's
// last line, and nothing of the moment or the machine goes in but the fonts it embeds.
//
// The record must have kept its evidence (TreatmentRecord::keepEvidence) for the chart and the
// hashes. The file is replaced only once the whole document is written.
class CertificatePdf {
public:
    // units empty: every unit of the record. False, with the reason, when there is no unit to
    // certify, a font is missing or the file cannot be written (the file is then untouched).
    static bool write(const std::string& path, const TreatmentRecord& record,
                      const std::vector<int>& units, const CertificateOptions& options,
                      std::string& error);

    // The certificate of one unit from its PC logs (read in the order given as one record)
    // under the given rule: what a window showing a unit's charge saves.
    static bool writeFromLogs(const std::string& path, const std::vector<std::string>& logs,
                              const TreatmentRule& rule, int unit,
                              const CertificateOptions& options, std::string& error);
};

} // namespace logtools
