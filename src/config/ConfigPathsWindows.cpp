// Where the Windows build finds its folder, hive and ports. The registry itself holds the
// settings there; the hive path serves a site that keeps a text hive beside it.

#include "config/ConfigPaths.h"

#include <cstdlib>

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

} // namespace

std::string KilnwatchConfigDirectory() {
    const std::string appData = Environment("APPDATA");
    return appData.empty() ? std::string() : appData + "\\kilnwatch";
}

std::string DefaultHivePath() {
    std::string path = Environment("KILNWATCH_REGISTRY");
    if (!path.empty()) {
        return path;
    }
    const std::string dir = KilnwatchConfigDirectory();
    return dir.empty() ? std::string() : dir + "\\registry.reg";
}

std::string ComPortDevicePath(int portNumber) {
    if (portNumber < 1 || portNumber > kMaxWindowsComPort) {
        return {};
    }
    // The short name is reserved in every folder only for COM1 to COM9; above that only the
    // device namespace finds the port.
    const std::string name = "COM" + std::to_string(portNumber);
    return portNumber <= 9 ? name : "\\\\.\\" + name;
}
