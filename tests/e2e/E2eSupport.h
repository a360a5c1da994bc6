#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        std::string pattern = (base / "kilnwatch-e2e.XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~TempFolder() {
        std::error_code ec;
        if (!m_path.empty()) {
            std::filesystem::remove_all(m_path, ec);
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool Valid() const { return !m_path.empty(); }
    const std::filesystem::path& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// A hive whose farm 1 has the given units on the given COM port; the other farms and the
// application values are left for the program to create.
inline void WriteHive(const std::string& path, std::initializer_list<int> units, int comPort) {
    unsigned char bitmap[32] = {};
    for (int node : units) {
        bitmap[(node - 1) / 8] |= static_cast<unsigned char>(1u << ((node - 1) % 8));
    }
    std::ostringstream hive;
    hive << "Windows Registry Editor Version 5.00\r\n\r\n"
         << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel\\WRB Explorer\\Farm 01]\r\n"
         << "\"Node IDs\"=hex:20,00";
    char byte[16];
    for (unsigned char b : bitmap) {
        std::snprintf(byte, sizeof byte, ",%02x", b);
        hive << byte;
    }
    std::snprintf(byte, sizeof byte, "%08x", comPort);
    hive << "\r\n\"Serial Port\"=dword:" << byte << "\r\n\r\n";
    std::ofstream(path, std::ios::binary) << hive.str();
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

inline bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}
