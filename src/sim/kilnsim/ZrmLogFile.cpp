#include "sim/kilnsim/ZrmLogFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

bool ZrmLogFile::Update(const std::vector<std::uint8_t>& logBytes) {
    if (m_bWritten && logBytes.size() == m_nWrittenBytes) {
        return true;
    }
    return Write(logBytes);
}

bool ZrmLogFile::Write(const std::vector<std::uint8_t>& logBytes) {
    m_strError.clear();
    // The rename below would put a file where a device, a folder or a link was.
    struct stat info {};
    if (::lstat(m_strPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        m_strError = m_strPath + " is not a plain file; it is left as it is";
        return false;
    }
    // Whole records only: a station log is never cut inside a record.
    const std::size_t length = logBytes.size() - logBytes.size() % 10;
    const std::string temporary = m_strPath + ".kilnsim-" + std::to_string(::getpid());
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        m_strError = "cannot write " + temporary + ": " + std::strerror(errno);
        return false;
    }
    bool ok = length == 0 || std::fwrite(logBytes.data(), 1, length, file) == length;
    ok = std::fflush(file) == 0 && ok;
    ok = ::fsync(::fileno(file)) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), m_strPath.c_str()) != 0) {
        m_strError = "cannot write " + m_strPath + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    m_nWrittenBytes = logBytes.size();
    m_bWritten = true;
    return true;
}
