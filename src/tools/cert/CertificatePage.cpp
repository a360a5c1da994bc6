#include "tools/cert/CertificatePage.h"

#include "tools/treat/LogTimestamp.h"

#include <cstdio>

namespace logtools {

namespace {

class Words {
public:
    explicit Words(bool spanish) : m_spanish(spanish) {}
    std::string operator()(const char* english, const char* spanish) const {
        return m_spanish ? spanish : english;
    }

private:
    bool m_spanish;
};

std::string degrees(int reading, Scale scale) {
    return std::to_string(reading) + scaleLetter(scale);
}

std::string unitId(int unit) {
    char text[8];
    std::snprintf(text, sizeof text, "%03d", unit);
    return text;
}

std::string span(const Words& w, LogSeconds from, LogSeconds to) {
    return LogTimestamp::text(from) + w(" to ", " a ") + LogTimestamp::text(to);
}

// Why the stretch that decided a NOT TREATED verdict ended.
std::string endText(const Words& w, const Stretch& s, const TreatmentRule& rule) {
    switch (s.end) {
    case StretchEnd::Cold:
        return w("core ", "el núcleo ") + std::to_string(s.endCore) + w(" read ", " leyó ") +
               degrees(s.endReading, s.scale) + w(" at ", " a las ") +
               LogTimestamp::text(s.endPlace.time);
    case StretchEnd::Gap:
        return w("no line for ", "sin línea durante ") +
               LogTimestamp::durationText(s.endPlace.time - s.last.time) +
               w(" (more than the allowed gap of ", " (más que el intervalo permitido de ") +
               LogTimestamp::durationText(rule.maxGapSeconds()) + w(") after ", ") después de ") +
               LogTimestamp::text(s.last.time);
    case StretchEnd::SensorFault:
        return w("sensor fault: core ", "fallo de sensor: el núcleo ") + std::to_string(s.endCore) +
               w(" read ", " leyó ") + degrees(s.endReading, s.scale) + w(" at ", " a las ") +
               LogTimestamp::text(s.endPlace.time);
    case StretchEnd::ScaleChange:
        return w("the unit changed its scale at ", "la unidad cambió de escala a las ") +
               LogTimestamp::text(s.endPlace.time);
    case StretchEnd::EndOfRecord:
    case StretchEnd::Open:
        break;
    }
    return w("the record ends at ", "el registro termina a las ") + LogTimestamp::text(s.last.time);
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The length of the UTF-8 sequence starting at text[i], or 0 when none starts there.
std::size_t utf8Length(const std::string& text, std::size_t i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        code = c & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = code << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode are not text.
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
        return 0;
    }
    return length;
}

} // namespace

std::string CertificatePage::printable(const std::string& text, std::size_t maxLength) {
    std::string shown;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++characters) {
        if (characters == maxLength) {
            return shown + "...";
        }
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0 && utf8Length(text, i) == 0)) {
            shown += '?';
            ++i;
        } else if (c < 0x80) {
            shown += static_cast<char>(c);
            ++i;
        } else if (const std::size_t length = utf8Length(text, i); length > 0) {
            shown.append(text, i, length);
            i += length;
        } else {
            // Latin-1: the byte is the code point.
            shown += static_cast<char>(0xC0 | (c >> 6));
            shown += static_cast<char>(0x80 | (c & 0x3F));
            ++i;
        }
    }
    return shown;
}

int CertificatePage::farmOfLogName(const std::string& path) {
    const std::string name = baseName(path);
    if (name.size() < 4 || name[3] != '_') {
        return 0;
    }
    int farm = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return 0;
        }
        farm = farm * 10 + (name[i] - '0');
    }
    return farm;
}

std::string CertificatePage::pageText(int page, int pages) const {
    std::string text = pageOf;
    const std::size_t first = text.find("%1");
    if (first != std::string::npos) {
        text.replace(first, 2, std::to_string(page));
    }
    const std::size_t second = text.find("%2");
    if (second != std::string::npos) {
        text.replace(second, 2, std::to_string(pages));
    }
    return text;
}

CertificatePage CertificatePage::build(const TreatmentRecord& record, const UnitTreatment& unit,
                                       const CertificateOptions& options) {
    const Words w(options.spanish);
    const TreatmentRule& rule = record.rule();
    const std::vector<LogFileSummary>& files = record.files();
    CertificatePage page;
    page.title = w("Heat treatment certificate", "Certificado de tratamiento térmico");
    page.site = printable(options.site, 120);
    if (!options.facility.empty()) {
        page.facility =
            w("Registration / certification no.: ", "N.º de registro / certificación: ") +
            printable(options.facility, 80);
    }

    // The charge is described by the descriptor line of the first log that holds it.
    const std::vector<int>& unitFiles = unit.files();
    const LogFileSummary* first = nullptr;
    if (!unitFiles.empty() && static_cast<std::size_t>(unitFiles.front()) < files.size()) {
        first = &files[static_cast<std::size_t>(unitFiles.front())];
    } else if (!files.empty()) {
        first = &files.front();
    }
    page.description = w("Charge: ", "Carga: ");
    page.description += first != nullptr && first->hasDescriptor
                            ? printable(first->descriptor, 100)
                            : w("(no descriptor line)", "(sin línea descriptiva)");
    const int farm = first != nullptr ? farmOfLogName(first->name) : 0;
    page.farmAndUnit = w("Farm ", "Granja ") + (farm > 0 ? std::to_string(farm) : "-") +
                       w(", unit ", ", unidad ") + unitId(unit.unit());

    const Verdict v = unit.verdict();
    page.treated = v.treated;
    page.verdict = v.treated ? w("TREATED", "TRATADO") : w("NOT TREATED", "NO TRATADO");
    const std::string required = LogTimestamp::durationText(rule.requiredSeconds());
    const std::vector<Stretch>& stretches = unit.stretches();
    const Stretch* decisive =
        v.stretch >= 0 ? &stretches[static_cast<std::size_t>(v.stretch)] : nullptr;
    if (v.treated) {
        page.lacking.clear();
    } else if (unit.lines() == 0) {
        page.lacking = w("No line in the record: the unit never ran while logged.",
                         "Ninguna línea en el registro: la unidad no funcionó mientras se "
                         "registraba.");
    } else if (decisive == nullptr) {
        page.lacking =
            w("No line with every core at or above ", "Ninguna línea con todos los núcleos a ") +
            rule.thresholdText() + w(".", " o más.");
    } else {
        page.lacking = w("Longest stretch ", "Tramo más largo ") +
                       LogTimestamp::durationText(decisive->length()) + ", " +
                       LogTimestamp::durationText(v.shortBy) + w(" short of ", " menos de ") +
                       required + "; " + w("it ended: ", "terminó: ") +
                       endText(w, *decisive, rule) + ".";
    }

    page.rule.push_back(
        w("Rule: every core (1, 2 and 3) at or above ", "Regla: todos los núcleos (1, 2 y 3) a ") +
        rule.thresholdText() + w(" for ", " o más durante ") + required +
        w(" without a break.", " sin interrupción."));
    page.rule.push_back(
        w("Centigrade lines pass from ", "Las líneas en Centígrados pasan desde ") +
        degrees(rule.minimumReading(Scale::Centigrade), Scale::Centigrade) +
        w(", Fahrenheit lines from ", ", las líneas en Fahrenheit desde ") +
        degrees(rule.minimumReading(Scale::Fahrenheit), Scale::Fahrenheit) +
        w("; lines more than ", "; líneas separadas más de ") +
        LogTimestamp::durationText(rule.maxGapSeconds()) +
        w(" apart (a gap) break a stretch, as does a core above ",
          " (un intervalo) interrumpen un tramo, igual que un núcleo por encima de ") +
        degrees(TreatmentRule::maximumValidReading(Scale::Centigrade), Scale::Centigrade) +
        w(" or ", " o ") +
        degrees(TreatmentRule::maximumValidReading(Scale::Fahrenheit), Scale::Fahrenheit) +
        w(" (a sensor fault).", " (un fallo de sensor)."));

    if (decisive != nullptr) {
        page.evidence.push_back((v.treated ? w("Qualifying stretch: ", "Tramo que cumple: ")
                                           : w("Longest stretch: ", "Tramo más largo: ")) +
                                span(w, decisive->first.time, decisive->last.time) + " (" +
                                LogTimestamp::durationText(decisive->length()) + ")");
        page.evidence.push_back(w("Lowest core reading in it: ", "Lectura de núcleo más baja: ") +
                                degrees(decisive->lowest, decisive->scale));
    } else {
        page.evidence.push_back(w("No stretch at the threshold.", "Ningún tramo en el umbral."));
    }
    if (unit.lines() > 0) {
        page.evidence.push_back(
            w("Record: ", "Registro: ") + std::to_string(unit.lines()) +
            w(" lines, ", " líneas, ") + span(w, unit.firstLine().time, unit.lastLine().time) +
            w("; gaps: ", "; intervalos: ") + std::to_string(unit.gaps().size()) +
            w(", sensor faults: ", ", fallos de sensor: ") + std::to_string(unit.faults().size()));
    }

    page.filesHeading = w("Source PC logs (SHA-256):", "Registros del PC de origen (SHA-256):");
    page.hashMissing = w("(not read to its end: no hash)", "(no leído hasta el final: sin hash)");
    // The logs that hold the unit's lines; a unit without lines names every log read.
    std::vector<int> shown = unitFiles;
    if (shown.empty()) {
        for (std::size_t i = 0; i < files.size(); ++i) {
            shown.push_back(static_cast<int>(i));
        }
    }
    for (const int index : shown) {
        if (index >= 0 && static_cast<std::size_t>(index) < files.size()) {
            const LogFileSummary& file = files[static_cast<std::size_t>(index)];
            page.files.push_back(SourceFile{printable(file.name, 200), file.sha256});
        }
    }

    page.signature = {w("Operator", "Operario"), w("Signature", "Firma"), w("Date", "Fecha")};
    page.footer = options.program + " " + options.version;
    page.pageOf = w("Page %1 of %2", "Página %1 de %2");

    page.axisTime = w("Time", "Hora");
    page.axisDegrees = w("Degrees ", "Grados ") + std::string(1, scaleLetter(unit.firstScale()));
    page.legend = {w("Core 1", "Núcleo 1"),
                   w("Core 2", "Núcleo 2"),
                   w("Core 3", "Núcleo 3"),
                   w("Chamber", "Cámara"),
                   w("Threshold", "Umbral"),
                   v.treated ? w("Qualifying stretch", "Tramo que cumple")
                             : w("Longest stretch", "Tramo más largo"),
                   w("Gap", "Intervalo"),
                   w("Sensor fault", "Fallo de sensor")};
    page.noReadings = w("No readings", "Sin lecturas");
    return page;
}

} // namespace logtools
