#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Writes the alarm station's stored log as a log data file: its 10-byte records back to back,
// as the station hands them over. The file is replaced whole (written beside it, then renamed),
// so a converter reading it meanwhile sees the old or the new log, never half of one. Anything
// but a plain file under the name (a device, a folder, a link) is refused and left alone.
class ZrmLogFile {
public:
    explicit ZrmLogFile(std::string path) : m_strPath(std::move(path)) {}

    // Writes only when the log grew since the last write. False, with Error() set, on failure.
    bool Update(const std::vector<std::uint8_t>& logBytes);
    bool Write(const std::vector<std::uint8_t>& logBytes);

    const std::string& Path() const { return m_strPath; }
    const std::string& Error() const { return m_strError; }

private:
    std::string m_strPath;
    std::string m_strError;
    std::size_t m_nWrittenBytes = 0;
    bool m_bWritten = false;
};
