#include "tools/common/ReplacingFile.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace logtools {

ReplacingFile::~ReplacingFile() {
    discard();
}

#if defined(_WIN32)

// Windows: the outputs are plain files (no links or devices to mind); the temporary file sits
// beside the name and replaces it in one move that reaches the disk before it returns.
bool ReplacingFile::open() {
    discard();
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%lu.%d",
                      static_cast<unsigned long>(GetCurrentProcessId()), attempt);
        const std::string name = m_path + suffix;
        const int fd =
            ::_open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            m_fd = fd;
            m_temporary = name;
        }
    }
    return m_fd >= 0;
}

bool ReplacingFile::commit() {
    if (m_fd < 0) {
        return false;
    }
    bool ok = ::_commit(m_fd) == 0;
    ok = ::_close(m_fd) == 0 && ok;
    m_fd = -1;
    if (ok && MoveFileExA(m_temporary.c_str(), m_path.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        m_temporary.clear();
        return true;
    }
    discard();
    return false;
}

void ReplacingFile::discard() {
    if (m_fd >= 0) {
        ::_close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        DeleteFileA(m_temporary.c_str());
        m_temporary.clear();
    }
}

#else

bool ReplacingFile::open() {
    discard();
    struct stat info {};
    if (::lstat(m_path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(m_path.c_str(), resolved) != nullptr) {
            m_path = resolved;
        }
    }
    m_inPlace = ::stat(m_path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
    if (m_inPlace) {
        if (S_ISDIR(info.st_mode)) {
            return false;
        }
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
        return m_fd >= 0;
    }
    std::vector<char> name(m_path.begin(), m_path.end());
    for (const char c : std::string(".XXXXXX")) {
        name.push_back(c);
    }
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return false;
    }
    m_fd = fd;
    m_temporary = name.data();
    return true;
}

bool ReplacingFile::commit() {
    if (m_fd < 0) {
        return false;
    }
    if (m_inPlace) {
        // A device or pipe may refuse fsync; its writes have been checked already.
        const bool closed = ::close(m_fd) == 0;
        m_fd = -1;
        return closed;
    }
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(m_path.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = ::fchmod(m_fd, mode) == 0;
    ok = ::fsync(m_fd) == 0 && ok;
    ok = ::close(m_fd) == 0 && ok;
    m_fd = -1;
    if (ok && std::rename(m_temporary.c_str(), m_path.c_str()) == 0) {
        m_temporary.clear();
        return true;
    }
    discard();
    return false;
}

void ReplacingFile::discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

#endif

} // namespace logtools
