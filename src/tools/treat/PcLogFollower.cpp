#include "tools/treat/PcLogFollower.h"

#include <cerrno>
#include <cstdio>
#include <string_view>

namespace logtools {

namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;

} // namespace

PcLogFollower::PcLogFollower(const TreatmentRule& rule)
    : m_rule(rule), m_record(std::make_unique<TreatmentRecord>(rule)) {}

void PcLogFollower::reset() {
    m_record = std::make_unique<TreatmentRecord>(m_rule);
    m_path.clear();
    m_offset = 0;
    m_partial.clear();
}

std::int64_t PcLogFollower::lines() const {
    return m_record->files().empty() ? 0 : m_record->files().back().lines;
}

bool PcLogFollower::follow(const std::string& path) {
    if (path != m_path) {
        reset();
        m_path = path;
        m_record->beginFile(path);
    }
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        return false;
    }
    // A file shorter than what was read already is another file under the same name.
    if (std::fseek(in, 0, SEEK_END) == 0) {
        const long size = std::ftell(in);
        if (size >= 0 && static_cast<std::uint64_t>(size) < m_offset) {
            reset();
            m_path = path;
            m_record->beginFile(path);
        }
    }
    if (std::fseek(in, static_cast<long>(m_offset), SEEK_SET) != 0) {
        std::fclose(in);
        return false;
    }
    // Lines end as the log reader's do: at LF, a CR before it dropped.
    char chunk[kChunkBytes];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
        m_offset += got;
        std::string_view data(chunk, got);
        std::size_t newline = 0;
        while ((newline = data.find('\n')) != std::string_view::npos) {
            m_partial.append(data.substr(0, newline));
            data.remove_prefix(newline + 1);
            std::string_view line = m_partial;
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
            }
            m_record->addLine(line);
            m_partial.clear();
        }
        m_partial.append(data);
    }
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    return !failed;
}

} // namespace logtools
