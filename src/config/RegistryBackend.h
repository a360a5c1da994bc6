#pragma once

#include <cstdint>
#include <memory>
#include <string>

// A key handle as the registry hands it out. The predefined roots are fixed values; any other
// handle comes from OpenKey or CreateKey and stays valid until CloseKey. 0 is no key.
using RegKey = std::uintptr_t;

inline constexpr RegKey kNoKey = 0;
inline constexpr RegKey kHkeyClassesRoot = 0x80000000u;
inline constexpr RegKey kHkeyCurrentUser = 0x80000001u;
inline constexpr RegKey kHkeyLocalMachine = 0x80000002u;
inline constexpr RegKey kHkeyUsers = 0x80000003u;

inline bool IsPredefinedRegKey(RegKey key) {
    return key >= kHkeyClassesRoot && key <= kHkeyUsers;
}

// Value types, with the registry's numbers so stored data means the same on every platform.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// Status codes with the registry's numbers: a store's "last result" is one of these whichever
// backend produced it.
namespace RegStatus {
inline constexpr std::int32_t kSuccess = 0;           // ERROR_SUCCESS
inline constexpr std::int32_t kFileNotFound = 2;      // ERROR_FILE_NOT_FOUND: no such key or value
inline constexpr std::int32_t kPathNotFound = 3;      // ERROR_PATH_NOT_FOUND: no hive location
inline constexpr std::int32_t kAccessDenied = 5;      // ERROR_ACCESS_DENIED
inline constexpr std::int32_t kInvalidHandle = 6;     // ERROR_INVALID_HANDLE
inline constexpr std::int32_t kInvalidParameter = 87; // ERROR_INVALID_PARAMETER
inline constexpr std::int32_t kMoreData = 234;        // ERROR_MORE_DATA: caller's buffer too small
inline constexpr std::int32_t kBadDb = 1009;          // ERROR_BADDB: the hive does not parse
inline constexpr std::int32_t kCantWrite = 1013;      // ERROR_CANTWRITE
inline constexpr std::int32_t kKeyDeleted = 1018;     // ERROR_KEY_DELETED: key removed since opened
} // namespace RegStatus

// The registry as the store sees it. Each call maps one to one onto the Win32 call named
// beside it, with the same argument meanings and status codes, so a backend over the real
// registry is a thin forwarding layer and every other backend behaves like it.
class RegistryBackend {
public:
    virtual ~RegistryBackend() = default;

    // RegOpenKeyEx with full access. On failure *result is kNoKey.
    virtual std::int32_t OpenKey(RegKey parent, const std::string& subKey, RegKey* result) = 0;

    // RegCreateKeyEx with full access: opens the key, creating it and any missing parent first.
    // Keys are always created persistent.
    virtual std::int32_t CreateKey(RegKey parent, const std::string& subKey, RegKey* result) = 0;

    // RegQueryValueEx. type may be null. With data null only the size is reported. With data
    // set, *size is the buffer's capacity on entry; a larger value gives kMoreData with *size
    // set to the value's size and the buffer untouched; else *size becomes the bytes copied.
    virtual std::int32_t QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                    std::uint8_t* data, std::uint32_t* size) = 0;

    // RegSetValueEx: stores size bytes of data under the given type.
    virtual std::int32_t SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                  const std::uint8_t* data, std::uint32_t size) = 0;

    // RegCloseKey. Closing a predefined root succeeds and does nothing.
    virtual std::int32_t CloseKey(RegKey key) = 0;

    // For notices to the operator, not part of the calls above: what kept the registry from
    // being read at the last open, and what keeps changes from being stored (writes then fail
    // with kAccessDenied, as in a locked registry). Empty when there is nothing to say.
    virtual std::string ReadProblem() const { return {}; }
    virtual std::string WriteProblem() const { return {}; }
};

// The backend of this platform at its default location: the hive file everywhere but
// Windows.
std::unique_ptr<RegistryBackend> MakeDefaultRegistryBackend();
