#pragma once

// Temporary folders, environment overrides and file helpers for the farm configuration tests.

#include "config/HiveFileBackend.h"
#include "config/RecordingBackend.h"
#include "config/RegistryBackend.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#if defined(_WIN32)
#include <direct.h>
#endif

namespace configtest {

#if defined(_WIN32)
// The C runtime's counterparts: a unique name made free and then created, and the process
// environment through _putenv_s (an empty value removes a variable there).
inline char* mkdtemp(char* pattern) {
    return _mktemp_s(pattern, std::strlen(pattern) + 1) == 0 && _mkdir(pattern) == 0 ? pattern
                                                                                     : nullptr;
}
inline int setenv(const char* name, const char* value, int /*overwrite*/) {
    return _putenv_s(name, value);
}
inline int unsetenv(const char* name) {
    return _putenv_s(name, "");
}
#endif

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kilnwatch-cfg-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Sets (or with nullopt unsets) one environment variable and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(std::string name, std::optional<std::string> value) : m_name(std::move(name)) {
        if (const char* old = std::getenv(m_name.c_str())) {
            m_old = old;
        }
        if (value) {
            setenv(m_name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }
    ~ScopedEnv() {
        if (m_old) {
            setenv(m_name.c_str(), m_old->c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string DataFile(const std::string& name) {
    return ReadBytes(std::string(KILNWATCH_TEST_DATA_DIR) + "/" + name);
}

// Lines given without line ends, joined with CR LF as the program writes them.
inline std::string CrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

inline const std::string kHeader = "Windows Registry Editor Version 5.00";
inline const std::string kBase = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel\\WRB Explorer";

} // namespace configtest
