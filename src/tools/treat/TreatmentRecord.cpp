#include "tools/treat/TreatmentRecord.h"

#include "base/FileAttributes.h"
#include "tools/common/Sha256.h"
#include "tools/common/TextLineReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace logtools {

void TreatmentRecord::beginFile(const std::string& name) {
    LogFileSummary file;
    file.name = name;
    m_files.push_back(std::move(file));
}

UnitTreatment& TreatmentRecord::unitAt(int id) {
    std::unique_ptr<UnitTreatment>& slot = m_units[static_cast<std::size_t>(id)];
    if (!slot) {
        slot = std::make_unique<UnitTreatment>(id, m_rule);
        if (m_keepEvidence) {
            slot->keepReadings();
        }
    }
    return *slot;
}

void TreatmentRecord::addReading(const CoreReading& reading) {
    if (m_files.empty()) {
        beginFile("");
    }
    LogFileSummary& file = m_files.back();
    ++file.lines;
    if (reading.unit < 1 || reading.unit > PcLogLineParser::kLastUnit) {
        return;
    }
    if (file.readings == 0) {
        file.firstTime = reading.time;
        file.lastTime = reading.time;
    }
    file.firstTime = reading.time < file.firstTime ? reading.time : file.firstTime;
    file.lastTime = reading.time > file.lastTime ? reading.time : file.lastTime;
    ++file.readings;
    unitAt(reading.unit).add(reading, static_cast<int>(m_files.size()) - 1, file.lines);
}

void TreatmentRecord::addLine(std::string_view line) {
    if (m_files.empty()) {
        beginFile("");
    }
    LogFileSummary& file = m_files.back();
    // A log saved again by an editor may start with a byte order mark.
    if (file.lines == 0 && line.substr(0, 3) == "\xEF\xBB\xBF") {
        line.remove_prefix(3);
    }
    CoreReading reading;
    const char* reason = "";
    switch (m_parser.parse(line, reading, reason)) {
    case PcLogLineParser::Result::Reading:
        addReading(reading);
        return;
    case PcLogLineParser::Result::NotData:
        if (file.lines == 0) {
            ++file.lines;
            file.hasDescriptor = true;
            file.descriptor.assign(line.substr(0, kMaxDescriptor));
            return;
        }
        reason = "not a data line";
        break;
    case PcLogLineParser::Result::Malformed:
        break;
    }
    ++file.lines;
    ++file.malformed;
    if (file.malformedKept.size() < kMaxMalformedKept) {
        file.malformedKept.push_back(
            MalformedLine{file.lines, reason, shownText(line, kMaxShownText)});
    }
}

void TreatmentRecord::fileFailed(const std::string& error) {
    if (m_files.empty()) {
        beginFile("");
    }
    m_files.back().readable = false;
    m_files.back().error = error;
}

bool TreatmentRecord::readFile(const std::string& path) {
    beginFile(path);
    if (FileAttributes::isDirectory(path)) {
        fileFailed("it is a folder");
        return false;
    }
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        fileFailed(std::strerror(errno));
        return false;
    }
    TextLineReader reader(in);
    Sha256 hash;
    if (m_keepEvidence) {
        reader.hashInto(&hash);
    }
    std::string_view line;
    while (reader.next(line)) {
        addLine(line);
    }
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) {
        fileFailed("read error after line " + std::to_string(m_files.back().lines));
        return false;
    }
    if (m_keepEvidence) {
        m_files.back().sha256 = Sha256::hex(hash.finish());
    }
    return true;
}

void TreatmentRecord::expectUnit(int unit) {
    if (unit >= 1 && unit <= PcLogLineParser::kLastUnit) {
        unitAt(unit);
    }
}

void TreatmentRecord::finish() {
    for (auto& unit : m_units) {
        if (unit) {
            unit->finish();
        }
    }
}

std::vector<const UnitTreatment*> TreatmentRecord::units() const {
    std::vector<const UnitTreatment*> list;
    for (const auto& unit : m_units) {
        if (unit) {
            list.push_back(unit.get());
        }
    }
    return list;
}

const UnitTreatment* TreatmentRecord::unit(int id) const {
    if (id < 1 || id > PcLogLineParser::kLastUnit) {
        return nullptr;
    }
    return m_units[static_cast<std::size_t>(id)].get();
}

std::string TreatmentRecord::shownText(std::string_view text, std::size_t maxLength) {
    std::string shown;
    const std::size_t length = text.size() < maxLength ? text.size() : maxLength;
    shown.reserve(length + 3);
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        shown += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    }
    if (text.size() > maxLength) {
        shown += "...";
    }
    return shown;
}

} // namespace logtools
