#include "pclog/FileAttributes.h"

#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#endif

#if defined(_WIN32)
namespace {
bool ChangeAttribute(const std::string& path, DWORD attribute, bool set) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    DWORD wanted = set ? (attributes | attribute) : (attributes & ~attribute);
    if (wanted == 0) {
        wanted = FILE_ATTRIBUTE_NORMAL; // the one way to ask for none
    }
    return wanted == attributes || SetFileAttributesA(path.c_str(), wanted) != 0;
}
} // namespace
#endif

bool SetHiddenAttribute(const std::string& path, bool hidden) {
#if defined(_WIN32)
    return ChangeAttribute(path, FILE_ATTRIBUTE_HIDDEN, hidden);
#else
    (void)path;
    (void)hidden;
    return true;
#endif
}

bool SetReadOnlyAttribute(const std::string& path, bool readOnly) {
#if defined(_WIN32)
    return ChangeAttribute(path, FILE_ATTRIBUTE_READONLY, readOnly);
#else
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
#endif
}
