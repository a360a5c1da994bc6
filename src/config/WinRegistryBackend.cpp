#include "config/WinRegistryBackend.h"

#include <cstring>
#include <vector>
#include <windows.h>

namespace {

// Full access, as the program always asked for, in the 32-bit view.
constexpr REGSAM kAccess = KEY_ALL_ACCESS | KEY_WOW64_32KEY;

bool IsTextType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

std::wstring Widen(const char* text, int length) {
    if (length <= 0) {
        return {};
    }
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
    if (wide <= 0) {
        return {};
    }
    std::wstring out(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, out.data(), wide);
    return out;
}

std::wstring Widen(const std::string& text) {
    return Widen(text.data(), static_cast<int>(text.size()));
}

std::vector<std::uint8_t> Narrow(const wchar_t* text, int length) {
    if (length <= 0) {
        return {};
    }
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return {};
    }
    std::vector<std::uint8_t> out(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, 0, text, length, reinterpret_cast<char*>(out.data()), bytes,
                        nullptr, nullptr);
    return out;
}

// A name the registry cannot hold as asked: bytes that are not UTF-8 would be changed on the
// way, and a zero byte would cut the name short.
bool ConvertName(const std::string& name, std::wstring& out) {
    if (name.find('\0') != std::string::npos) {
        return false;
    }
    out = Widen(name);
    return name.empty() || !out.empty();
}

HKEY PredefinedRoot(RegKey key) {
    switch (key) {
    case kHkeyClassesRoot:
        return HKEY_CLASSES_ROOT;
    case kHkeyCurrentUser:
        return HKEY_CURRENT_USER;
    case kHkeyLocalMachine:
        return HKEY_LOCAL_MACHINE;
    case kHkeyUsers:
        return HKEY_USERS;
    default:
        return nullptr;
    }
}

} // namespace

WinRegistryBackend::~WinRegistryBackend() {
    for (const auto& entry : m_handles) {
        RegCloseKey(static_cast<HKEY>(entry.second));
    }
}

void* WinRegistryBackend::Native(RegKey key) const {
    if (IsPredefinedRegKey(key)) {
        return PredefinedRoot(key);
    }
    const auto found = m_handles.find(key);
    return found != m_handles.end() ? found->second : nullptr;
}

RegKey WinRegistryBackend::Adopt(void* native) {
    const RegKey handle = m_nextHandle++;
    m_handles.emplace(handle, native);
    return handle;
}

std::int32_t WinRegistryBackend::OpenKey(RegKey parent, const std::string& subKey, RegKey* result) {
    if (result == nullptr) {
        return RegStatus::kInvalidParameter;
    }
    *result = kNoKey;
    const HKEY native = static_cast<HKEY>(Native(parent));
    if (native == nullptr) {
        return RegStatus::kInvalidHandle;
    }
    std::wstring wide;
    if (!ConvertName(subKey, wide)) {
        return RegStatus::kInvalidParameter;
    }
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExW(native, wide.c_str(), 0, kAccess, &opened);
    if (status == ERROR_SUCCESS) {
        *result = Adopt(opened);
    }
    return static_cast<std::int32_t>(status);
}

std::int32_t WinRegistryBackend::CreateKey(RegKey parent, const std::string& subKey,
                                           RegKey* result) {
    if (result == nullptr) {
        return RegStatus::kInvalidParameter;
    }
    *result = kNoKey;
    const HKEY native = static_cast<HKEY>(Native(parent));
    if (native == nullptr) {
        return RegStatus::kInvalidHandle;
    }
    std::wstring wide;
    if (!ConvertName(subKey, wide)) {
        return RegStatus::kInvalidParameter;
    }
    HKEY created = nullptr;
    // Persistent: a volatile key would lose the farm configuration at the next restart.
    const LONG status = RegCreateKeyExW(native, wide.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        kAccess, nullptr, &created, nullptr);
    if (status == ERROR_SUCCESS) {
        *result = Adopt(created);
    }
    return static_cast<std::int32_t>(status);
}

std::int32_t WinRegistryBackend::QueryValue(RegKey key, const std::string& name,
                                            std::uint32_t* type, std::uint8_t* data,
                                            std::uint32_t* size) {
    const HKEY native = static_cast<HKEY>(Native(key));
    if (native == nullptr) {
        return RegStatus::kInvalidHandle;
    }
    if (data != nullptr && size == nullptr) {
        return RegStatus::kInvalidParameter;
    }
    std::wstring wide;
    if (!ConvertName(name, wide)) {
        return RegStatus::kInvalidParameter;
    }
    // The whole value is read first: a text value's size here depends on its conversion, and
    // the caller's buffer rule applies to that size.
    DWORD nativeType = REG_NONE;
    DWORD nativeSize = 0;
    LONG status =
        RegQueryValueExW(native, wide.c_str(), nullptr, &nativeType, nullptr, &nativeSize);
    std::vector<BYTE> raw;
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        raw.resize(nativeSize);
        DWORD got = nativeSize;
        status = RegQueryValueExW(native, wide.c_str(), nullptr, &nativeType,
                                  raw.empty() ? nullptr : raw.data(), &got);
        if (status == ERROR_SUCCESS) {
            raw.resize(got);
            break;
        }
        // ERROR_MORE_DATA: the value grew between the two calls; nativeSize was not updated
        // by a call with data, so ask again.
        if (status == ERROR_MORE_DATA) {
            status = RegQueryValueExW(native, wide.c_str(), nullptr, nullptr, nullptr, &nativeSize);
        }
    }
    if (status != ERROR_SUCCESS) {
        return static_cast<std::int32_t>(status);
    }
    std::vector<std::uint8_t> bytes;
    if (IsTextType(nativeType)) {
        // Stored as UTF-16; an odd last byte is not part of any character.
        bytes = Narrow(reinterpret_cast<const wchar_t*>(raw.data()),
                       static_cast<int>(raw.size() / sizeof(wchar_t)));
    } else {
        bytes.assign(raw.begin(), raw.end());
    }
    if (type != nullptr) {
        *type = nativeType;
    }
    if (data == nullptr) {
        if (size != nullptr) {
            *size = static_cast<std::uint32_t>(bytes.size());
        }
        return RegStatus::kSuccess;
    }
    if (bytes.size() > *size) {
        *size = static_cast<std::uint32_t>(bytes.size());
        return RegStatus::kMoreData;
    }
    if (!bytes.empty()) {
        std::memcpy(data, bytes.data(), bytes.size());
    }
    *size = static_cast<std::uint32_t>(bytes.size());
    return RegStatus::kSuccess;
}

std::int32_t WinRegistryBackend::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                          const std::uint8_t* data, std::uint32_t size) {
    const HKEY native = static_cast<HKEY>(Native(key));
    if (native == nullptr) {
        return RegStatus::kInvalidHandle;
    }
    if (data == nullptr && size != 0) {
        return RegStatus::kInvalidParameter;
    }
    std::wstring wide;
    if (!ConvertName(name, wide)) {
        return RegStatus::kInvalidParameter;
    }
    const BYTE* bytes = data;
    DWORD length = size;
    std::wstring text;
    if (IsTextType(type) && size != 0) {
        text = Widen(reinterpret_cast<const char*>(data), static_cast<int>(size));
        if (text.empty()) {
            return RegStatus::kInvalidParameter; // not UTF-8: it would not read back the same
        }
        bytes = reinterpret_cast<const BYTE*>(text.data());
        length = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    }
    return static_cast<std::int32_t>(RegSetValueExW(native, wide.c_str(), 0, type, bytes, length));
}

std::int32_t WinRegistryBackend::CloseKey(RegKey key) {
    if (IsPredefinedRegKey(key)) {
        return RegStatus::kSuccess;
    }
    const auto found = m_handles.find(key);
    if (found == m_handles.end()) {
        return RegStatus::kInvalidHandle;
    }
    const LONG status = RegCloseKey(static_cast<HKEY>(found->second));
    m_handles.erase(found);
    return static_cast<std::int32_t>(status);
}
