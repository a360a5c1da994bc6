#pragma once

// A registry backend for tests that forwards to a real one and records what the document asks
// of the registry.

#include "config/RegistryBackend.h"

#include <cstdint>
#include <string>
#include <vector>

namespace configtest {

// Forwards to a real backend and records the names of the values written and keys created.
class RecordingBackend : public RegistryBackend {
public:
    explicit RecordingBackend(RegistryBackend& inner) : m_inner(inner) {}
    std::int32_t OpenKey(RegKey parent, const std::string& subKey, RegKey* result) override {
        return m_inner.OpenKey(parent, subKey, result);
    }
    std::int32_t CreateKey(RegKey parent, const std::string& subKey, RegKey* result) override {
        createdKeys.push_back(subKey);
        return m_inner.CreateKey(parent, subKey, result);
    }
    std::int32_t QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                            std::uint8_t* data, std::uint32_t* size) override {
        return m_inner.QueryValue(key, name, type, data, size);
    }
    std::int32_t SetValue(RegKey key, const std::string& name, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t size) override {
        writtenValues.push_back(name);
        return m_inner.SetValue(key, name, type, data, size);
    }
    std::int32_t CloseKey(RegKey key) override { return m_inner.CloseKey(key); }
    std::string ReadProblem() const override { return m_inner.ReadProblem(); }
    std::string WriteProblem() const override { return m_inner.WriteProblem(); }

    std::vector<std::string> createdKeys;
    std::vector<std::string> writtenValues;

private:
    RegistryBackend& m_inner;
};

} // namespace configtest
