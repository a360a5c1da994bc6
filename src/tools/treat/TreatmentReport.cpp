#include "tools/treat/TreatmentReport.h"

#include "tools/treat/LogTimestamp.h"

namespace logtools {

namespace {

std::string unitId(int unit) {
    char text[8];
    std::snprintf(text, sizeof text, "%03d", unit);
    return text;
}

std::string degrees(int value, Scale scale) {
    return std::to_string(value) + scaleLetter(scale);
}

const char* scaleName(Scale scale) {
    return scale == Scale::Centigrade ? "Centigrade" : "Fahrenheit";
}

// The allowed gap as the --max-gap option gives it.
std::string gapText(LogSeconds seconds) {
    return std::to_string(seconds) + " s";
}

std::string span(LogSeconds from, LogSeconds to) {
    return LogTimestamp::text(from) + " to " + LogTimestamp::text(to);
}

std::string coresText(int cores) {
    std::string text;
    for (int i = 0; i < 3; ++i) {
        if ((cores & (1 << i)) != 0) {
            text += text.empty() ? "core " : ", ";
            text += static_cast<char>('1' + i);
        }
    }
    return text;
}

// "... and 12 more" after a cut list, saying whether --all would show them.
void more(std::string& out, std::size_t shown, std::size_t total, bool allShowsThem = true) {
    if (shown < total) {
        out += "    ... and " + std::to_string(total - shown) + " more" +
               (allShowsThem ? " (--all lists them)\n" : "\n");
    }
}

} // namespace

std::string TreatmentReport::csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') {
            quoted += '"';
        }
        quoted += c;
    }
    return quoted + '"';
}

std::string TreatmentReport::placeText(const LinePlace& place) const {
    return "file " + std::to_string(place.file + 1) + " line " + std::to_string(place.line);
}

std::string TreatmentReport::stretchLine(const Stretch& s) const {
    std::string line = span(s.first.time, s.last.time) + ", " +
                       LogTimestamp::durationText(s.length()) + ", lowest core " +
                       degrees(s.lowest, s.scale) + " (" + placeText(s.first);
    if (s.last.file == s.first.file) {
        line += " to " + std::to_string(s.last.line) + ")";
    } else {
        line += " to " + placeText(s.last) + ")";
    }
    const std::string at = " at " + LogTimestamp::text(s.endPlace.time);
    switch (s.end) {
    case StretchEnd::Open:
        line += "; still at threshold";
        break;
    case StretchEnd::Cold:
        line += "; ended by core " + std::to_string(s.endCore) + " reading " +
                degrees(s.endReading, s.scale) + at;
        break;
    case StretchEnd::Gap:
        line += "; ended by a gap, next line" + at;
        break;
    case StretchEnd::SensorFault:
        line += "; ended by a sensor fault, core " + std::to_string(s.endCore) + " reading " +
                degrees(s.endReading, s.scale) + at;
        break;
    case StretchEnd::ScaleChange:
        line += std::string("; ended by a change to ") +
                scaleName(s.scale == Scale::Centigrade ? Scale::Fahrenheit : Scale::Centigrade) +
                at;
        break;
    case StretchEnd::EndOfRecord:
        line += "; the record ends";
        break;
    }
    return line;
}

void TreatmentReport::fileBlock(std::string& out, std::size_t index) const {
    const LogFileSummary& f = m_record.files()[index];
    out += "File " + std::to_string(index + 1) + ": " +
           TreatmentRecord::shownText(f.name, f.name.size()) + "\n";
    if (f.hasDescriptor) {
        out += "  Charge: " + TreatmentRecord::shownText(f.descriptor, f.descriptor.size()) + "\n";
    } else if (f.lines > 0) {
        out += "  (no descriptor line)\n";
    }
    if (!f.readable) {
        out += "  ERROR: could not be read: " + f.error + "\n";
    }
    out += "  " + std::to_string(f.lines) + " lines, " + std::to_string(f.readings) + " data lines";
    if (f.readings > 0) {
        out += ", " + span(f.firstTime, f.lastTime);
    }
    out += "\n";
    // The files are one record only when each begins after the ones before it end.
    for (std::size_t earlier = 0; earlier < index && f.readings > 0; ++earlier) {
        const LogFileSummary& e = m_record.files()[earlier];
        if (e.readings > 0 && f.firstTime <= e.lastTime) {
            out += "  It begins at or before the end of file " + std::to_string(earlier + 1) +
                   " (" + LogTimestamp::text(e.lastTime) +
                   "): the logs overlap or are not in time order\n";
            break;
        }
    }
    if (f.malformed > 0) {
        out += "  " + std::to_string(f.malformed) + " malformed line" +
               (f.malformed == 1 ? "" : "s") + ", left out:\n";
        for (const MalformedLine& m : f.malformedKept) {
            out += "    line " + std::to_string(m.line) + ": " + m.reason + ": " + m.text + "\n";
        }
        more(out, f.malformedKept.size(), static_cast<std::size_t>(f.malformed), false);
    }
}

void TreatmentReport::unitBlock(std::string& out, const UnitTreatment& unit) const {
    const TreatmentRule& rule = m_record.rule();
    const Verdict v = unit.verdict();
    const std::vector<Stretch>& stretches = unit.stretches();
    out += "Unit " + unitId(unit.unit()) + ": ";
    if (v.treated) {
        const Stretch& s = stretches[static_cast<std::size_t>(v.stretch)];
        out += "TREATED: " + span(s.first.time, s.last.time) + ", " +
               LogTimestamp::durationText(s.length()) + ", lowest core " +
               degrees(s.lowest, s.scale) + "\n";
    } else if (v.tooSparse) {
        out += "TOO SPARSE: its lines are a median " +
               LogTimestamp::durationText(unit.medianSpacing()) +
               " apart, more than the allowed gap of " + gapText(rule.maxGapSeconds()) +
               ", so the record cannot prove " +
               LogTimestamp::durationText(rule.requiredSeconds()) + "\n";
    } else if (unit.lines() == 0) {
        out += "NOT TREATED: no line in the record (the unit never ran while logged)\n";
    } else if (v.stretch < 0) {
        out += "NOT TREATED: no line with every core at or above " + rule.thresholdText() + "\n";
    } else {
        const Stretch& s = stretches[static_cast<std::size_t>(v.stretch)];
        out += "NOT TREATED: longest stretch " + span(s.first.time, s.last.time) + ", " +
               LogTimestamp::durationText(s.length()) + ", lowest core " +
               degrees(s.lowest, s.scale) + ": " + LogTimestamp::durationText(v.shortBy) +
               " short of " + LogTimestamp::durationText(rule.requiredSeconds()) + "\n";
    }
    if (unit.lines() == 0) {
        return;
    }

    const LogSeconds median = unit.medianSpacing();
    out += "  " + std::to_string(unit.lines()) + " lines, " +
           span(unit.firstLine().time, unit.lastLine().time) + ", " + scaleName(unit.firstScale());
    if (median < 0) {
        out += ", a single line\n";
    } else if (median > UnitTreatment::kSpacingRange) {
        out += ", median spacing over 1 h\n";
    } else {
        out += ", median spacing " + LogTimestamp::durationText(median) + "\n";
    }
    if (median > rule.maxGapSeconds()) {
        out += "  Its lines are mostly further apart than the allowed gap of " +
               gapText(rule.maxGapSeconds()) + ", so no stretch can last (see --max-gap)\n";
    }

    const std::size_t limit = m_listAll ? static_cast<std::size_t>(-1) : kListLimit;
    const std::vector<LineGap>& gaps = unit.gaps();
    std::size_t shown = 0;
    // In a record too sparse to judge nearly every line is a stretch and a gap of its own;
    // such lists say nothing more (--all still shows them).
    const bool listRuns = !v.tooSparse || m_listAll;
    if (!listRuns) {
        out += "  " + std::to_string(stretches.size()) +
               (stretches.size() == 1 ? " stretch and " : " stretches and ") +
               std::to_string(gaps.size()) + (gaps.size() == 1 ? " gap over " : " gaps over ") +
               gapText(rule.maxGapSeconds()) + ", not listed (--all lists them)\n";
    } else {
        out += "  Stretches with every core at or above " + rule.thresholdText() + ": " +
               std::to_string(stretches.size()) + (stretches.empty() ? "\n" : " (* qualifies)\n");
        for (std::size_t i = 0; i < stretches.size() && shown < limit; ++i, ++shown) {
            const bool qualifies = stretches[i].length() >= rule.requiredSeconds();
            out +=
                std::string("    ") + (qualifies ? "* " : "  ") + stretchLine(stretches[i]) + "\n";
        }
        more(out, shown, stretches.size());
    }

    if (listRuns && !gaps.empty()) {
        out += "  Gaps over " + gapText(rule.maxGapSeconds()) + ": " + std::to_string(gaps.size()) +
               "\n";
        shown = 0;
        for (; shown < gaps.size() && shown < limit; ++shown) {
            const LineGap& g = gaps[shown];
            out += "    no line for " + LogTimestamp::durationText(g.length()) + " after " +
                   LogTimestamp::text(g.before.time) + " (" + placeText(g.before) + "), next " +
                   LogTimestamp::text(g.after.time) + " (" + placeText(g.after) + ")\n";
        }
        more(out, shown, gaps.size());
    }

    const std::vector<SensorFault>& faults = unit.faults();
    if (!faults.empty()) {
        out += "  Sensor faults (a core above " +
               degrees(TreatmentRule::maximumValidReading(Scale::Centigrade), Scale::Centigrade) +
               " or " +
               degrees(TreatmentRule::maximumValidReading(Scale::Fahrenheit), Scale::Fahrenheit) +
               "): " + std::to_string(faults.size()) + "\n";
        shown = 0;
        for (; shown < faults.size() && shown < limit; ++shown) {
            const SensorFault& f = faults[shown];
            out += "    " + span(f.first.time, f.last.time) + ", " + std::to_string(f.lines) +
                   (f.lines == 1 ? " line, " : " lines, ") + coresText(f.cores) + " up to " +
                   degrees(f.highest, f.scale) + " (" + placeText(f.first) + ")\n";
        }
        more(out, shown, faults.size());
    }

    if (unit.outOfOrderCount() > 0) {
        out += "  Lines not after the unit's line before, left out: " +
               std::to_string(unit.outOfOrderCount()) + "\n";
        for (const OutOfOrderLine& o : unit.outOfOrderKept()) {
            out += "    " + LogTimestamp::text(o.place.time) + " (" + placeText(o.place) +
                   ") after " + LogTimestamp::text(o.previous.time) + " (" + placeText(o.previous) +
                   ")\n";
        }
        more(out, unit.outOfOrderKept().size(), static_cast<std::size_t>(unit.outOfOrderCount()),
             false);
    }
}

void TreatmentReport::writeText(const std::function<void(const std::string&)>& write) const {
    const TreatmentRule& rule = m_record.rule();
    std::string out = "Treatment record: every core at or above " + rule.thresholdText() + " for " +
                      LogTimestamp::durationText(rule.requiredSeconds()) + "\n";
    out += "  Centigrade lines pass from " +
           degrees(rule.minimumReading(Scale::Centigrade), Scale::Centigrade) +
           ", Fahrenheit lines from " +
           degrees(rule.minimumReading(Scale::Fahrenheit), Scale::Fahrenheit) +
           "; lines more than " + gapText(rule.maxGapSeconds()) + " apart break a stretch\n\n";
    for (std::size_t i = 0; i < m_record.files().size(); ++i) {
        out += i > 0 ? "\n" : "";
        fileBlock(out, i);
    }
    write(out);
    const std::vector<const UnitTreatment*> units = m_record.units();
    std::size_t treated = 0;
    std::size_t sparse = 0;
    for (const UnitTreatment* unit : units) {
        out = "\n";
        unitBlock(out, *unit);
        write(out);
        const Verdict v = unit->verdict();
        treated += v.treated ? 1 : 0;
        sparse += !v.treated && v.tooSparse ? 1 : 0;
    }
    write("\n" + std::to_string(treated) + " of " + std::to_string(units.size()) + " unit" +
          (units.size() == 1 ? "" : "s") + " TREATED" +
          (sparse > 0 ? ", " + std::to_string(sparse) + " TOO SPARSE to prove it" : "") + "\n");
}

std::string TreatmentReport::text() const {
    std::string text;
    writeText([&text](const std::string& piece) { text += piece; });
    return text;
}

std::string TreatmentReport::csv() const {
    std::string out = "unit,verdict,start,end,minutes,lowest_core,scale,file\r\n";
    for (const UnitTreatment* unit : m_record.units()) {
        const Verdict v = unit->verdict();
        out += unitId(unit->unit()) +
               (v.treated ? ",TREATED," : (v.tooSparse ? ",TOO SPARSE," : ",NOT TREATED,"));
        // A record too sparse to judge has no stretch worth naming.
        if (v.stretch >= 0 && !v.tooSparse) {
            const Stretch& s = unit->stretches()[static_cast<std::size_t>(v.stretch)];
            out += LogTimestamp::text(s.first.time) + "," + LogTimestamp::text(s.last.time) + "," +
                   std::to_string(s.length() / 60) + "," + std::to_string(s.lowest) + "," +
                   scaleLetter(s.scale) + "," +
                   csvField(m_record.files()[static_cast<std::size_t>(s.first.file)].name);
        } else if (unit->lines() > 0) {
            out += ",,,,";
            out += scaleLetter(unit->firstScale());
            out +=
                "," +
                csvField(m_record.files()[static_cast<std::size_t>(unit->firstLine().file)].name);
        } else {
            out += ",,,,,";
        }
        out += "\r\n";
    }
    return out;
}

} // namespace logtools
