#include "config/HiveFileBackend.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#if defined(_WIN32)
#include <direct.h>
#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>
#endif

namespace {

#if defined(_WIN32)
// The C runtime's descriptors stand in for the POSIX ones. Files are binary (the hive keeps
// its own CR LF), a locked range of the lock file takes flock's place, and replacing the hive
// is a move that may overwrite, written through to disk. Windows has no links to follow here
// and no mode bits to keep.
constexpr int O_CLOEXEC = _O_NOINHERIT;
constexpr int O_NOCTTY = 0;
constexpr int O_NONBLOCK = 0;
constexpr int O_NOFOLLOW = 0;
constexpr int kOpenBinary = _O_BINARY;
constexpr char kSeparators[] = "/\\";

int LockWhole(int fd) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    OVERLAPPED at{};
    return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &at) ? 0 : -1;
}

int SyncFile(int fd) {
    return _commit(fd);
}

int MakeFolder(const char* path) {
    return ::_mkdir(path);
}

bool ReplaceFile(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
#else
constexpr int kOpenBinary = 0;
constexpr char kSeparators[] = "/";

int LockWhole(int fd) {
    return ::flock(fd, LOCK_EX);
}

int SyncFile(int fd) {
    return ::fsync(fd);
}

int MakeFolder(const char* path) {
    return ::mkdir(path, 0700);
}

bool ReplaceFile(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}
#endif

bool RootName(RegKey key, std::string& name) {
    switch (key) {
    case kHkeyClassesRoot:
        name = "HKEY_CLASSES_ROOT";
        return true;
    case kHkeyCurrentUser:
        name = "HKEY_CURRENT_USER";
        return true;
    case kHkeyLocalMachine:
        name = "HKEY_LOCAL_MACHINE";
        return true;
    case kHkeyUsers:
        name = "HKEY_USERS";
        return true;
    default:
        return false;
    }
}

// Names that a hive line can hold: no line ends and no zero bytes.
bool Storable(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }
    // Closes now and reports whether the close succeeded (a late write error shows here).
    bool Close() {
        const int fd = std::exchange(m_fd, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

// Held while a read-modify-write runs; closing the descriptor releases the lock, also when
// the process dies.
class HiveLock {
public:
    explicit HiveLock(const std::string& hivePath)
        : m_fd(::open((hivePath + ".lock").c_str(),
                      O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | kOpenBinary, 0600)) {
        if (m_fd.Get() < 0) {
            return;
        }
        int rc = 0;
        do {
            rc = LockWhole(m_fd.Get());
        } while (rc != 0 && errno == EINTR);
        m_locked = rc == 0;
    }
    bool Locked() const { return m_locked; }

private:
    FileDescriptor m_fd;
    bool m_locked = false;
};

std::string ParentFolder(const std::string& path) {
    const std::size_t slash = path.find_last_of(kSeparators);
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool EnsureFolder(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode);
    }
    if (folder == "/" || folder == ".") {
        return false;
    }
    if (!EnsureFolder(ParentFolder(folder))) {
        return false;
    }
    return MakeFolder(folder.c_str()) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string NormalisedSubKey(const std::string& subKey) {
    std::string out;
    std::size_t start = 0;
    while (start <= subKey.size()) {
        std::size_t end = subKey.find('\\', start);
        if (end == std::string::npos) {
            end = subKey.size();
        }
        if (end > start) {
            if (!out.empty()) {
                out += '\\';
            }
            out.append(subKey, start, end - start);
        }
        start = end + 1;
    }
    return out;
}

} // namespace

HiveFileBackend::HiveFileBackend(std::string hivePath) : m_path(std::move(hivePath)) {}

std::int32_t HiveFileBackend::Load() {
    m_doc = HiveDocument{};
    m_loadStatus = RegStatus::kSuccess;
    m_readProblem.clear();
    if (m_path.empty()) {
        return m_loadStatus = RegStatus::kPathNotFound;
    }
    const auto problem = [this](const std::string& why) {
        m_readProblem = "the hive " + m_path + " could not be read (" + why + ")";
    };
    FileDescriptor fd(
        ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | kOpenBinary));
    if (fd.Get() < 0) {
        if (errno == ENOENT) {
            return m_loadStatus = RegStatus::kSuccess;
        }
        problem(std::strerror(errno));
        return m_loadStatus = RegStatus::kAccessDenied;
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        problem("not a regular file");
        return m_loadStatus = RegStatus::kBadDb;
    }
    if (static_cast<std::uint64_t>(info.st_size) > HiveDocument::kMaxFileBytes) {
        problem("larger than 16 MB");
        return m_loadStatus = RegStatus::kBadDb;
    }
    // The size may change while we read; never take in more than the limit allows.
    std::string content;
    content.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t used = 0;
    while (true) {
        if (used == content.size()) {
            if (content.size() > HiveDocument::kMaxFileBytes) {
                problem("larger than 16 MB");
                return m_loadStatus = RegStatus::kBadDb;
            }
            content.resize(std::min(content.size() * 2, HiveDocument::kMaxFileBytes + 1));
        }
        const ssize_t n = ::read(fd.Get(), content.data() + used, content.size() - used);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            problem(std::strerror(errno));
            return m_loadStatus = RegStatus::kAccessDenied;
        }
        if (n == 0) {
            break;
        }
        used += static_cast<std::size_t>(n);
    }
    content.resize(used);
    HiveDocument::ParseError error;
    if (!HiveDocument::Parse(content, m_doc, &error)) {
        problem(error.line == 0 ? error.reason
                                : "line " + std::to_string(error.line) + ": " + error.reason);
        return m_loadStatus = RegStatus::kBadDb;
    }
    return m_loadStatus;
}

std::string HiveFileBackend::WriteProblem() const {
    if (m_path.empty()) {
        return "no place for the hive is known";
    }
    if (!m_readProblem.empty()) {
        return m_readProblem + ", so it is left as it is";
    }
    // The file is replaced by a rename, which its own permissions would not stop: they are
    // honoured here, for the administrator too.
    struct stat info {};
    if (::stat(m_path.c_str(), &info) == 0 &&
        ((info.st_mode & 0222) == 0 || ::access(m_path.c_str(), W_OK) != 0)) {
        return "the hive " + m_path + " is read-only";
    }
    // The nearest folder that exists must take the new file (and any folders still missing).
    std::string folder = ParentFolder(m_path);
    while (::stat(folder.c_str(), &info) != 0 && folder != "/" && folder != ".") {
        folder = ParentFolder(folder);
    }
    if (!S_ISDIR(info.st_mode) || ::access(folder.c_str(), W_OK | X_OK) != 0) {
        return "the folder " + folder + " of the hive cannot be written";
    }
    return {};
}

std::int32_t HiveFileBackend::WriteFile(const std::string& text) {
    if (text.size() > HiveDocument::kMaxFileBytes) {
        return RegStatus::kCantWrite;
    }
    // A hive that is a link stays one: the file it points to is replaced.
    std::string target = m_path;
#if !defined(_WIN32)
    struct stat info {};
    if (::lstat(m_path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(m_path.c_str(), resolved) != nullptr) {
            target = resolved;
        }
    }
    mode_t mode = 0600;
    if (::stat(target.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
    }
#endif
    const std::string temporary = target + ".tmp";
    ::unlink(temporary.c_str()); // left by a writer that died; we hold the lock
    FileDescriptor fd(::open(
        temporary.c_str(),
        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | kOpenBinary, 0600));
    if (fd.Get() < 0) {
        return RegStatus::kCantWrite;
    }
#if defined(_WIN32)
    const bool kept = true;
#else
    const bool kept = ::fchmod(fd.Get(), mode) == 0;
#endif
    const bool written = kept && WriteAll(fd.Get(), text) && SyncFile(fd.Get()) == 0 && fd.Close();
    if (!written || !ReplaceFile(temporary, target)) {
        ::unlink(temporary.c_str());
        return RegStatus::kCantWrite;
    }
#if !defined(_WIN32)
    // Makes the rename itself durable.
    FileDescriptor folder(::open(ParentFolder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) {
        ::fsync(folder.Get());
    }
#endif
    return RegStatus::kSuccess;
}

bool HiveFileBackend::JoinPath(RegKey parent, const std::string& subKey, std::string& path) const {
    if (!RootName(parent, path)) {
        const auto it = m_handles.find(parent);
        if (it == m_handles.end()) {
            return false;
        }
        path = it->second;
    }
    const std::string below = NormalisedSubKey(subKey);
    if (!below.empty()) {
        path += '\\';
        path += below;
    }
    return true;
}

RegKey HiveFileBackend::NewHandle(const std::string& path) {
    // Handles count up from 1 and never reach the predefined roots' range in practice.
    const RegKey handle = m_nextHandle++;
    m_handles.emplace(handle, path);
    return handle;
}

std::int32_t HiveFileBackend::PrepareKey(RegKey parent, const std::string& subKey, RegKey* result,
                                         std::string& path) {
    if (result == nullptr) {
        return RegStatus::kInvalidParameter;
    }
    *result = kNoKey;
    if (!JoinPath(parent, subKey, path)) {
        return RegStatus::kInvalidHandle;
    }
    if (!Storable(path)) {
        return RegStatus::kInvalidParameter;
    }
    // The file is read anew at every open, so edits made while the program runs are seen.
    return Load();
}

std::int32_t HiveFileBackend::OpenKey(RegKey parent, const std::string& subKey, RegKey* result) {
    std::string path;
    if (const std::int32_t status = PrepareKey(parent, subKey, result, path);
        status != RegStatus::kSuccess) {
        return status;
    }
    if (!m_doc.KeyExists(path)) {
        return RegStatus::kFileNotFound;
    }
    *result = NewHandle(path);
    return RegStatus::kSuccess;
}

std::int32_t HiveFileBackend::CreateKey(RegKey parent, const std::string& subKey, RegKey* result) {
    std::string path;
    if (const std::int32_t status = PrepareKey(parent, subKey, result, path);
        status != RegStatus::kSuccess) {
        return status;
    }
    if (!m_doc.KeyExists(path)) {
        if (!WriteProblem().empty()) {
            return RegStatus::kAccessDenied;
        }
        if (!EnsureFolder(ParentFolder(m_path))) {
            return RegStatus::kCantWrite;
        }
        const HiveLock lock(m_path);
        if (!lock.Locked()) {
            return RegStatus::kCantWrite;
        }
        if (const std::int32_t status = Load(); status != RegStatus::kSuccess) {
            return status;
        }
        if (m_doc.CreateKey(path)) {
            if (const std::int32_t status = WriteFile(m_doc.Serialize());
                status != RegStatus::kSuccess) {
                Load();
                return status;
            }
        }
    }
    *result = NewHandle(path);
    return RegStatus::kSuccess;
}

std::int32_t HiveFileBackend::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                         std::uint8_t* data, std::uint32_t* size) {
    std::string path;
    if (key == kNoKey || !JoinPath(key, std::string(), path)) {
        return RegStatus::kInvalidHandle;
    }
    if (data != nullptr && size == nullptr) {
        return RegStatus::kInvalidParameter;
    }
    if (m_loadStatus != RegStatus::kSuccess) {
        return m_loadStatus;
    }
    if (!m_doc.KeyExists(path)) {
        return RegStatus::kKeyDeleted;
    }
    const HiveDocument::Value* value = m_doc.FindValue(path, name);
    if (value == nullptr) {
        return RegStatus::kFileNotFound;
    }
    const auto length = static_cast<std::uint32_t>(value->data.size());
    if (type != nullptr) {
        *type = value->type;
    }
    if (data != nullptr) {
        if (*size < length) {
            *size = length;
            return RegStatus::kMoreData;
        }
        if (length != 0) {
            std::memcpy(data, value->data.data(), length);
        }
    }
    if (size != nullptr) {
        *size = length;
    }
    return RegStatus::kSuccess;
}

std::int32_t HiveFileBackend::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                       const std::uint8_t* data, std::uint32_t size) {
    std::string path;
    if (key == kNoKey || !JoinPath(key, std::string(), path)) {
        return RegStatus::kInvalidHandle;
    }
    if ((data == nullptr && size != 0) || !Storable(name)) {
        return RegStatus::kInvalidParameter;
    }
    if (m_path.empty()) {
        return RegStatus::kPathNotFound;
    }
    if (m_loadStatus == RegStatus::kSuccess && !WriteProblem().empty()) {
        return RegStatus::kAccessDenied;
    }
    if (!EnsureFolder(ParentFolder(m_path))) {
        return RegStatus::kCantWrite;
    }
    const HiveLock lock(m_path);
    if (!lock.Locked()) {
        return RegStatus::kCantWrite;
    }
    if (const std::int32_t status = Load(); status != RegStatus::kSuccess) {
        return status;
    }
    if (!m_doc.KeyExists(path)) {
        return RegStatus::kKeyDeleted;
    }
    HiveDocument::Value value;
    value.name = name;
    value.type = type;
    if (size != 0) {
        value.data.assign(data, data + size);
    }
    if (m_doc.SetValue(path, value) == HiveDocument::SetOutcome::Unchanged) {
        return RegStatus::kSuccess;
    }
    if (const std::int32_t status = WriteFile(m_doc.Serialize()); status != RegStatus::kSuccess) {
        Load();
        return status;
    }
    return RegStatus::kSuccess;
}

std::int32_t HiveFileBackend::CloseKey(RegKey key) {
    if (IsPredefinedRegKey(key)) {
        return RegStatus::kSuccess;
    }
    return m_handles.erase(key) != 0 ? RegStatus::kSuccess : RegStatus::kInvalidHandle;
}
