#include "config/RegistryStore.h"

#include "app/Trace.h"
#include "config/ByteArrayArchive.h"

#include <array>

RegistryStore::RegistryStore(RegistryBackend& backend, RegKey root)
    : m_hKey(root), m_backend(backend) {}

RegistryStore::~RegistryStore() {
    Close();
}

bool RegistryStore::Record(std::int32_t result, std::uint32_t type, std::uint32_t size) {
    m_lLastResult = result;
    m_dwLastType = type;
    m_dwLastSize = size;
    return result == RegStatus::kSuccess;
}

void RegistryStore::ReleaseHeldKey() {
    if (m_hKey != kNoKey && !IsPredefinedRegKey(m_hKey)) {
        m_backend.CloseKey(m_hKey);
    }
    m_hKey = kNoKey;
}

bool RegistryStore::Open(RegKey root, const std::string& subKey) {
    KW_TRACE("RegistryStore::Open()..............................S\n");
    ReleaseHeldKey();
    RegKey key = kNoKey;
    const std::int32_t result = m_backend.OpenKey(root, subKey, &key);
    m_hKey = result == RegStatus::kSuccess ? key : kNoKey;
    return Record(result, 0, 0);
}

bool RegistryStore::OpenAndRemember(RegKey root, const std::string& subKey) {
    m_strKeyPath = subKey;
    return Open(root, subKey);
}

bool RegistryStore::Create(RegKey root, const std::string& subKey) {
    KW_TRACE("RegistryStore::Create()............................S\n");
    ReleaseHeldKey();
    RegKey key = kNoKey;
    const std::int32_t result = m_backend.CreateKey(root, subKey, &key);
    m_hKey = result == RegStatus::kSuccess ? key : kNoKey;
    return Record(result, 0, 0);
}

bool RegistryStore::ValueExists(const std::string& name) {
    std::uint32_t size = 0;
    const std::int32_t result = m_backend.QueryValue(m_hKey, name, nullptr, nullptr, &size);
    return Record(result, 0, 0);
}

void RegistryStore::Close() {
    if (m_hKey == kNoKey) {
        return;
    }
    m_backend.CloseKey(m_hKey);
    m_hKey = kNoKey;
}

bool RegistryStore::GetDword(const std::string& name, std::uint32_t& value) {
    std::array<std::uint8_t, 4> buffer{};
    std::uint32_t type = 0;
    std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
    const std::int32_t result = m_backend.QueryValue(m_hKey, name, &type, buffer.data(), &size);
    if (!Record(result, type, size)) {
        return false;
    }
    value = static_cast<std::uint32_t>(buffer[0]) | (static_cast<std::uint32_t>(buffer[1]) << 8) |
            (static_cast<std::uint32_t>(buffer[2]) << 16) |
            (static_cast<std::uint32_t>(buffer[3]) << 24);
    return true;
}

bool RegistryStore::SetDword(const std::string& name, std::uint32_t value) {
    const std::array<std::uint8_t, 4> bytes{static_cast<std::uint8_t>(value & 0xFFu),
                                            static_cast<std::uint8_t>((value >> 8) & 0xFFu),
                                            static_cast<std::uint8_t>((value >> 16) & 0xFFu),
                                            static_cast<std::uint8_t>((value >> 24) & 0xFFu)};
    const std::int32_t result = m_backend.SetValue(m_hKey, name, kRegDword, bytes.data(), 4);
    return Record(result, kRegDword, 4);
}

bool RegistryStore::GetString(const std::string& name, std::string& value) {
    std::array<std::uint8_t, kMaxStringBytes> buffer{};
    std::uint32_t type = 0;
    std::uint32_t size = kMaxStringBytes;
    const std::int32_t result = m_backend.QueryValue(m_hKey, name, &type, buffer.data(), &size);
    if (!Record(result, type, size)) {
        return false;
    }
    std::size_t length = 0;
    while (length < size && length < buffer.size() && buffer[length] != 0) {
        ++length;
    }
    value.assign(reinterpret_cast<const char*>(buffer.data()), length);
    return true;
}

bool RegistryStore::SetString(const std::string& name, const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    const auto size = static_cast<std::uint32_t>(bytes.size());
    const std::int32_t result = m_backend.SetValue(m_hKey, name, kRegSz, bytes.data(), size);
    return Record(result, kRegSz, size);
}

bool RegistryStore::SetBinary(const std::string& name, std::span<const std::uint8_t> bytes) {
    const std::vector<std::uint8_t> archived = ByteArrayArchive::Store(bytes);
    const auto size = static_cast<std::uint32_t>(archived.size());
    const std::int32_t result = m_backend.SetValue(m_hKey, name, kRegBinary, archived.data(), size);
    return Record(result, kRegBinary, size);
}

bool RegistryStore::GetBinary(const std::string& name, std::vector<std::uint8_t>& bytes) {
    const std::size_t keptCount = bytes.size();
    std::vector<std::uint8_t> buffer(kMaxBinaryBytes);
    std::uint32_t type = 0;
    std::uint32_t size = kMaxBinaryBytes;
    const std::int32_t result = m_backend.QueryValue(m_hKey, name, &type, buffer.data(), &size);
    if (!Record(result, type, size)) {
        return false;
    }
    if (type == kRegBinary) {
        const std::size_t held = size < buffer.size() ? size : buffer.size();
        bytes = ByteArrayArchive::Load(std::span<const std::uint8_t>(buffer.data(), held));
        bytes.resize(keptCount, 0);
    }
    return true;
}
