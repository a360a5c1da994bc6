#include "LogTreatTool.h"

#include "base/FileAttributes.h"
#include "tools/treat/TreatmentRecord.h"
#include "tools/treat/TreatmentReport.h"
#include "tools/treat/TreatmentRule.h"

#ifdef KILNWATCH_CERTIFICATES
#include "tools/cert/CertificateOptions.h"
#include "tools/cert/CertificatePdf.h"
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace logtools {

namespace {

constexpr const char* kHelp =
    "Usage: logtreat [options] LOG...\n"
    "Reads the PC logs of one farm, given in time order and read as one record, and reports for\n"
    "each unit whether every core temperature (RTD 1-3) held at or above the threshold for the\n"
    "required continuous time.\n"
    "\n"
    "  --min-core T    threshold with its scale: 56C (the default), 60C, 133F, 56.5C\n"
    "  --minutes N     required continuous minutes (default 30); a stretch lasts from its\n"
    "                  first line to its last, so 31 lines a minute apart make 30 minutes\n"
    "  --max-gap S     lines of a unit more than S seconds apart break a stretch (default 90)\n"
    "  --units LIST    units that must be in the record, such as 1-12,15; one that never ran\n"
    "                  while logged is NOT TREATED\n"
    "  --csv FILE      also write a CSV summary, one row per unit\n"
    "  --require-all   exit status 1 when any unit is NOT TREATED, or there is none\n"
    "  --all           list every stretch, gap and fault (otherwise the first 50 of each)\n"
    "  --pdf FILE      also write the treatment certificate: one PDF page per unit (the units\n"
    "                  of --units when given), with the verdict, the rule, a chart of the\n"
    "                  charge and the SHA-256 of each log; the same logs and options always\n"
    "                  give the same file\n"
    "  --site TEXT     the certificate's site line (the treatment provider)\n"
    "  --facility TEXT the facility's registration or certification number\n"
    "  --spanish       the certificate in Spanish\n"
    "  --paper P       a4 or letter (default: the locale's paper, else a4)\n"
    "  --help          show this text\n"
    "\n"
    "Each core is compared in its line's own scale with the threshold converted exactly: at\n"
    "56C a Fahrenheit line needs 133F, as 56C is 132.8F. A core above 100C or 212F is a\n"
    "sensor fault and breaks a stretch, as does a gap.\n"
    "\n"
    "Exit status: 0 when the logs were read (and, with --require-all, every unit is TREATED),\n"
    "1 when --require-all finds a unit NOT TREATED, 2 on a bad option, a log that cannot be\n"
    "read or a CSV file that cannot be written.\n";

void error(const std::string& text) {
    std::fprintf(stderr, "logtreat: %s\n", text.c_str());
}

bool wholeNumber(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9) {
        return false;
    }
    int v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        v = v * 10 + (c - '0');
    }
    value = v;
    return true;
}

} // namespace

bool LogTreatTool::parseUnits(const std::string& text, std::vector<int>& units) {
    std::vector<int> found;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t comma = text.find(',', pos);
        if (comma == std::string::npos) {
            comma = text.size();
        }
        const std::string item = text.substr(pos, comma - pos);
        const std::size_t dash = item.find('-');
        int first = 0;
        int last = 0;
        if (dash == std::string::npos) {
            if (!wholeNumber(item, first)) {
                return false;
            }
            last = first;
        } else if (!wholeNumber(item.substr(0, dash), first) ||
                   !wholeNumber(item.substr(dash + 1), last)) {
            return false;
        }
        if (first < 1 || last > PcLogLineParser::kLastUnit || first > last) {
            return false;
        }
        for (int unit = first; unit <= last; ++unit) {
            found.push_back(unit);
        }
        pos = comma + 1;
    }
    units.insert(units.end(), found.begin(), found.end());
    return true;
}

bool LogTreatTool::parseArguments(int argc, char** argv) {
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnd || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            m_logs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        std::string name = arg;
        std::string value;
        bool hasValue = false;
        const std::size_t equals = arg.find('=');
        if (equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            hasValue = true;
        }
        const bool takesValue = name == "--min-core" || name == "--minutes" ||
                                name == "--max-gap" || name == "--csv" || name == "--units" ||
                                name == "--pdf" || name == "--site" || name == "--facility" ||
                                name == "--paper";
        if (!takesValue) {
            if (hasValue || (name != "--help" && name != "--require-all" && name != "--all" &&
                             name != "--spanish")) {
                error("unknown option " + arg + " (see --help)");
                return false;
            }
            m_help = m_help || name == "--help";
            m_requireAll = m_requireAll || name == "--require-all";
            m_listAll = m_listAll || name == "--all";
            m_spanish = m_spanish || name == "--spanish";
            continue;
        }
        if (!hasValue) {
            if (i + 1 >= argc) {
                error(name + " needs a value (see --help)");
                return false;
            }
            value = argv[++i];
        }
        int number = 0;
        bool good = true;
        if (name == "--min-core") {
            good = m_rule.setThreshold(value);
        } else if (name == "--minutes") {
            good = wholeNumber(value, number) && m_rule.setMinutes(number);
        } else if (name == "--max-gap") {
            good = wholeNumber(value, number) && m_rule.setMaxGapSeconds(number);
        } else if (name == "--units") {
            good = parseUnits(value, m_units);
        } else if (name == "--pdf") {
            good = !value.empty();
            m_pdfPath = value;
        } else if (name == "--site") {
            m_site = value;
        } else if (name == "--facility") {
            m_facility = value;
        } else if (name == "--paper") {
            good = value == "a4" || value == "letter";
            m_paper = value;
        } else {
            good = !value.empty();
            m_csvPath = value;
        }
        if (!good) {
            error("bad value for " + name + ": '" + value + "' (see --help)");
            return false;
        }
    }
    return true;
}

bool LogTreatTool::writeCsv(const std::string& text) {
    std::FILE* out =
        FileAttributes::isDirectory(m_csvPath) ? nullptr : std::fopen(m_csvPath.c_str(), "wb");
    if (out == nullptr) {
        error("cannot write " + m_csvPath + ": " +
              (FileAttributes::isDirectory(m_csvPath) ? "it is a folder" : std::strerror(errno)));
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        error("cannot write " + m_csvPath + ": " + std::strerror(errno));
        std::remove(m_csvPath.c_str());
        return false;
    }
    return true;
}

bool LogTreatTool::refusesToReplaceALog(const std::string& output, const char* what) const {
    for (const std::string& log : m_logs) {
        if (log == output || FileAttributes::isSameFile(log, output)) {
            error(std::string("the ") + what + " " + output +
                  " is one of the logs; not overwriting it");
            return true;
        }
    }
    return false;
}

bool LogTreatTool::writePdf(const TreatmentRecord& record) {
#ifdef KILNWATCH_CERTIFICATES
    CertificateOptions options;
    options.site = m_site;
    options.facility = m_facility;
    options.spanish = m_spanish;
    options.paper = m_paper.empty() ? CertificateOptions::paperOfEnvironment()
                                    : (m_paper == "letter" ? CertificateOptions::Paper::Letter
                                                           : CertificateOptions::Paper::A4);
    options.program = "logtreat";
    std::string reason;
    if (!CertificatePdf::write(m_pdfPath, record, m_units, options, reason)) {
        error("--pdf: " + reason);
        return false;
    }
    return true;
#else
    (void)record;
    error("--pdf: treatment certificates are not available in this build");
    return false;
#endif
}

int LogTreatTool::run(int argc, char** argv) {
    if (!parseArguments(argc, argv)) {
        return kFailed;
    }
    if (m_help) {
        std::fputs(kHelp, stdout);
        return kWorked;
    }
    if (m_logs.empty()) {
        error("no log file given (see --help)");
        return kFailed;
    }
    if (!m_csvPath.empty() && refusesToReplaceALog(m_csvPath, "CSV file")) {
        return kFailed;
    }
    if (!m_pdfPath.empty()) {
#ifndef KILNWATCH_CERTIFICATES
        error("--pdf: treatment certificates are not available in this build");
        return kFailed;
#endif
        if (refusesToReplaceALog(m_pdfPath, "PDF file")) {
            return kFailed;
        }
        if (m_pdfPath == m_csvPath || FileAttributes::isSameFile(m_pdfPath, m_csvPath)) {
            error("--pdf and --csv name the same file " + m_pdfPath);
            return kFailed;
        }
    }

    TreatmentRecord record(m_rule);
    if (!m_pdfPath.empty()) {
        record.keepEvidence();
    }
    for (const int unit : m_units) {
        record.expectUnit(unit);
    }
    bool failed = false;
    for (const std::string& log : m_logs) {
        if (!record.readFile(log)) {
            error("cannot read " + log + ": " + record.files().back().error);
            failed = true;
        }
    }
    const bool readFailed = failed;
    record.finish();

    TreatmentReport report(record);
    report.setListAll(m_listAll);
    report.writeText(
        [](const std::string& block) { std::fwrite(block.data(), 1, block.size(), stdout); });
    std::fflush(stdout);
    if (!m_csvPath.empty() && !writeCsv(report.csv())) {
        failed = true;
    }
    // A certificate vouches for the logs it names: none is made from a record missing one.
    if (!m_pdfPath.empty() && readFailed) {
        error("--pdf: no certificate written, as a log could not be read");
    } else if (!m_pdfPath.empty() && !writePdf(record)) {
        failed = true;
    }
    if (failed) {
        return kFailed;
    }
    if (m_requireAll) {
        // A record without a single unit proves nothing.
        if (record.units().empty()) {
            error("--require-all: the logs hold no unit at all");
            return kNotAllTreated;
        }
        for (const UnitTreatment* unit : record.units()) {
            if (!unit->verdict().treated) {
                return kNotAllTreated;
            }
        }
    }
    return kWorked;
}

} // namespace logtools
