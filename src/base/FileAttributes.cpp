#include "base/FileAttributes.h"

#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {
constexpr fs::perms kAnyWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
} // namespace

bool FileAttributes::exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

bool FileAttributes::isDirectory(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(fs::path(path), ec);
}

#if defined(_WIN32)

// The attributes themselves. Paths are in the ANSI code page, as the C runtime's fopen and the
// program's arguments have them.
namespace {
bool changeAttribute(const std::string& path, DWORD attribute, bool set) {
    const DWORD current = GetFileAttributesA(path.c_str());
    if (current == INVALID_FILE_ATTRIBUTES || (current & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    DWORD wanted = set ? (current | attribute) : (current & ~attribute);
    if (wanted == 0) {
        wanted = FILE_ATTRIBUTE_NORMAL; // the one way to ask for none
    }
    return wanted == current || SetFileAttributesA(path.c_str(), wanted) != 0;
}
} // namespace

bool FileAttributes::isReadOnly(const std::string& path) {
    const DWORD current = GetFileAttributesA(path.c_str());
    return current != INVALID_FILE_ATTRIBUTES && (current & FILE_ATTRIBUTE_READONLY) != 0;
}

bool FileAttributes::setReadOnly(const std::string& path) {
    return changeAttribute(path, FILE_ATTRIBUTE_READONLY, true);
}

bool FileAttributes::clearReadOnly(const std::string& path) {
    return changeAttribute(path, FILE_ATTRIBUTE_READONLY, false);
}

bool FileAttributes::setHidden(const std::string& path, bool hidden) {
    return changeAttribute(path, FILE_ATTRIBUTE_HIDDEN, hidden);
}

#else

namespace {
// Only a file's attributes are ever changed: a log or an output named by mistake after a
// folder or a device must not lose its permissions.
bool isRegularFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(fs::path(path), ec);
}
} // namespace

bool FileAttributes::isReadOnly(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(fs::path(path), ec);
    if (ec || !fs::exists(status)) {
        return false;
    }
    return (status.permissions() & kAnyWrite) == fs::perms::none;
}

bool FileAttributes::setReadOnly(const std::string& path) {
    if (!isRegularFile(path)) {
        return false;
    }
    std::error_code ec;
    fs::permissions(fs::path(path), kAnyWrite, fs::perm_options::remove, ec);
    return !ec;
}

bool FileAttributes::clearReadOnly(const std::string& path) {
    if (!isRegularFile(path)) {
        return false;
    }
    std::error_code ec;
    fs::permissions(fs::path(path), fs::perms::owner_write, fs::perm_options::add, ec);
    return !ec;
}

bool FileAttributes::setHidden(const std::string& /*path*/, bool /*hidden*/) {
    return true;
}

#endif

bool FileAttributes::isSameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    const bool same = fs::equivalent(fs::path(a), fs::path(b), ec);
    return !ec && same;
}

unsigned long long FileAttributes::size(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t length = fs::file_size(fs::path(path), ec);
    return ec ? 0 : static_cast<unsigned long long>(length);
}

bool FileAttributes::mayReplace(const std::string& output, const std::string& input) {
    if (!exists(output)) {
        return true;
    }
    return !isSameFile(output, input) && !isReadOnly(output);
}
