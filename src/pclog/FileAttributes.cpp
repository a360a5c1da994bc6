#include "pclog/FileAttributes.h"

#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#endif

bool SetHiddenAttribute(const std::string& path, bool hidden) {
#if defined(_WIN32)
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const DWORD wanted =
        hidden ? (attributes | FILE_ATTRIBUTE_HIDDEN) : (attributes & ~FILE_ATTRIBUTE_HIDDEN);
    return wanted == attributes || SetFileAttributesA(path.c_str(), wanted) != 0;
#else
    (void)path;
    (void)hidden;
    return true;
#endif
}

bool SetReadOnlyAttribute(const std::string& path, bool readOnly) {
    namespace fs = std::filesystem;
    if (path.empty()) {
        return false;
    }
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        return false;
    }
    if (readOnly) {
        fs::permissions(path,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove, error);
    } else {
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
    }
    return !error;
}
