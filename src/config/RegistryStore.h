#pragma once

#include "config/RegistryBackend.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// One open registry key at a time with typed reads and writes. Every operation reports only
// through its boolean (true exactly when the registry call succeeded) and the last-result
// fields; nothing is ever shown to the operator. The usual pattern: Open, else Create, then
// OpenAndRemember; ValueExists before each read; Close.
class RegistryStore {
public:
    // Reads larger than these fail, as they always have for this program's values.
    static constexpr std::uint32_t kMaxStringBytes = 200;
    static constexpr std::uint32_t kMaxBinaryBytes = 4096;

    // The backend must outlive the store. The held key starts as the root.
    explicit RegistryStore(RegistryBackend& backend, RegKey root = kHkeyLocalMachine);
    virtual ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    // Open and Create close a key opened earlier before they replace it, so the pattern above
    // never leaks a handle.
    bool Open(RegKey root, const std::string& subKey);
    bool OpenAndRemember(RegKey root, const std::string& subKey);
    bool Create(RegKey root, const std::string& subKey);
    bool ValueExists(const std::string& name);
    // Does nothing when no key is held.
    void Close();

    // Reads at most 4 bytes. A shorter value of any type fills the low bytes, the rest are 0.
    bool GetDword(const std::string& name, std::uint32_t& value);
    bool SetDword(const std::string& name, std::uint32_t value);
    // Reads at most kMaxStringBytes of any type; the text ends at the first zero byte.
    bool GetString(const std::string& name, std::string& value);
    bool SetString(const std::string& name, const std::string& text);
    // Stores the array in its archive form as a binary value.
    bool SetBinary(const std::string& name, std::span<const std::uint8_t> bytes);
    // Keeps the array's size: stored bytes beyond it are dropped, missing ones become 0. A
    // value of another type leaves the array as it was and still succeeds.
    bool GetBinary(const std::string& name, std::vector<std::uint8_t>& bytes);

    std::int32_t LastResult() const { return m_lLastResult; }
    std::uint32_t LastValueType() const { return m_dwLastType; }
    std::uint32_t LastValueSize() const { return m_dwLastSize; }
    const std::string& KeyPath() const { return m_strKeyPath; }
    RegKey HeldKey() const { return m_hKey; }

private:
    bool Record(std::int32_t result, std::uint32_t type, std::uint32_t size);
    void ReleaseHeldKey();

    std::int32_t m_lLastResult = RegStatus::kSuccess;
    std::uint32_t m_dwLastType = 0;
    std::uint32_t m_dwLastSize = 0;
    RegKey m_hKey;
    std::string m_strKeyPath;
    RegistryBackend& m_backend;
};
