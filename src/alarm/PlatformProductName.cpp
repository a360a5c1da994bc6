// The platform's product name for the tone driver's rule. On Windows it is the registry's
// "ProductName" of the running version; elsewhere the name the system reports of itself, which
// is never the Windows release that forbids the speaker.

#include "alarm/PlatformProductName.h"

#if defined(_WIN32)
#include <cstdlib>
#include <windows.h>
#else
#include <fstream>
#include <sys/utsname.h>
#endif

namespace {

constexpr const char* kUnknown = "<Unknown>";

} // namespace

#if defined(_WIN32)

std::string ReadPlatformProductName() {
    const char* branch = std::getenv("OS") != nullptr ? "Windows NT" : "Windows";
    const std::string keyName = std::string("SOFTWARE\\Microsoft\\") + branch + "\\CurrentVersion";
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return kUnknown;
    }
    char value[40] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    std::string name;
    if (RegQueryValueExA(key, "ProductName", nullptr, &type, reinterpret_cast<BYTE*>(value),
                         &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        name.assign(value, strnlen(value, sizeof value - 1));
    }
    RegCloseKey(key);
    return name.empty() ? std::string("Windows NT") : name;
}

#else

std::string ReadPlatformProductName() {
    std::ifstream release("/etc/os-release");
    std::string line;
    while (std::getline(release, line)) {
        constexpr std::string_view kKey = "PRETTY_NAME=";
        if (line.compare(0, kKey.size(), kKey) != 0) {
            continue;
        }
        std::string name = line.substr(kKey.size());
        if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') &&
            name.back() == name.front()) {
            name = name.substr(1, name.size() - 2);
        }
        if (!name.empty()) {
            return name;
        }
    }
    struct utsname system {};
    if (uname(&system) == 0 && system.sysname[0] != '\0') {
        return system.sysname;
    }
    return kUnknown;
}

#endif
