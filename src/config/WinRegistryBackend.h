#pragma once

#include "config/RegistryBackend.h"

#include <cstdint>
#include <map>
#include <string>

// The Windows registry itself. Keys are opened in the registry's 32-bit view, where the
// 32-bit program of earlier releases kept its settings (under WOW6432Node on 64-bit
// Windows), so a site's settings carry over whichever build runs. Names are UTF-8 here and
// UTF-16 in the registry; text values (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are converted
// the same way, so their sizes are UTF-8 sizes with the terminating zero, as the hive file
// gives them. Every other type passes through as bytes.
class WinRegistryBackend : public RegistryBackend {
public:
    WinRegistryBackend() = default;
    ~WinRegistryBackend() override;
    WinRegistryBackend(const WinRegistryBackend&) = delete;
    WinRegistryBackend& operator=(const WinRegistryBackend&) = delete;

    std::int32_t OpenKey(RegKey parent, const std::string& subKey, RegKey* result) override;
    std::int32_t CreateKey(RegKey parent, const std::string& subKey, RegKey* result) override;
    std::int32_t QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                            std::uint8_t* data, std::uint32_t* size) override;
    std::int32_t SetValue(RegKey key, const std::string& name, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t size) override;
    std::int32_t CloseKey(RegKey key) override;

    // Open handles besides the roots (tests check that none leak).
    std::size_t OpenHandleCount() const { return m_handles.size(); }

private:
    // The registry's handle behind one of ours; null for an unknown handle.
    void* Native(RegKey key) const;
    RegKey Adopt(void* native);

    // Handles the registry gave out, by the number handed to the caller.
    std::map<RegKey, void*> m_handles;
    RegKey m_nextHandle = 1;
};
