#include "pclog/LogFileHandle.h"

#include <cerrno>
#include <utility>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

LogFileHandle::LogFileHandle(LogFileHandle&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)) {}

LogFileHandle& LogFileHandle::operator=(LogFileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

#if defined(_WIN32)

bool LogFileHandle::Open(const std::string& path, Sharing sharing, bool truncate) {
    Close();
    int fd = -1;
    const int share = sharing == Sharing::Exclusive ? _SH_DENYRW : _SH_DENYWR;
    // A path on a drive without a medium (the debug echo file's E: is often one) must fail
    // quietly, not stop the program with the system's "insert a disk" box.
    DWORD previousMode = 0;
    const bool quiet =
        SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode) != 0;
    const errno_t opened =
        _sopen_s(&fd, path.c_str(), _O_WRONLY | _O_CREAT | _O_APPEND | _O_BINARY | _O_NOINHERIT,
                 share, _S_IREAD | _S_IWRITE);
    if (quiet) {
        SetThreadErrorMode(previousMode, nullptr);
    }
    if (opened != 0) {
        return false;
    }
    if (truncate && _chsize_s(fd, 0) != 0) {
        _close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool LogFileHandle::Write(std::string_view text) {
    while (!text.empty() && m_fd >= 0) {
        const int chunk = text.size() > 0x4000 ? 0x4000 : static_cast<int>(text.size());
        const int written = _write(m_fd, text.data(), static_cast<unsigned>(chunk));
        if (written <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return text.empty();
}

void LogFileHandle::Close() {
    if (m_fd >= 0) {
        _close(m_fd);
        m_fd = -1;
    }
}

#else

bool LogFileHandle::Open(const std::string& path, Sharing /*sharing*/, bool truncate) {
    Close();
    if (path.empty()) {
        return false;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    // Readers do not lock, so an exclusive lock keeps out only other writers: both sharing
    // modes come to the same thing here.
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0 || (truncate && ::ftruncate(fd, 0) != 0)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool LogFileHandle::Write(std::string_view text) {
    while (!text.empty() && m_fd >= 0) {
        const ssize_t written = ::write(m_fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return text.empty();
}

void LogFileHandle::Close() {
    if (m_fd >= 0) {
        ::close(m_fd); // also releases the lock
        m_fd = -1;
    }
}

#endif
