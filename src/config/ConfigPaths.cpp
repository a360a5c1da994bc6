#include "config/ConfigPaths.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string HomeDirectory() {
    std::string home = Environment("HOME");
    if (!home.empty()) {
        return home;
    }
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384u);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        home = found->pw_dir;
    }
    return home;
}

} // namespace

std::string KilnwatchConfigDirectory() {
    const std::string xdg = Environment("XDG_CONFIG_HOME");
    if (!xdg.empty() && xdg.front() == '/') {
        return xdg + "/kilnwatch";
    }
    const std::string home = HomeDirectory();
    if (home.empty()) {
        return {};
    }
    return home + "/.config/kilnwatch";
}

std::string DefaultHivePath() {
    std::string path = Environment("KILNWATCH_REGISTRY");
    if (!path.empty()) {
        return path;
    }
    const std::string dir = KilnwatchConfigDirectory();
    return dir.empty() ? std::string() : dir + "/registry.reg";
}

std::string ComPortDevicePath(int portNumber) {
    if (portNumber < 1 || portNumber > 4) {
        return {};
    }
    const std::string number = std::to_string(portNumber);
    std::string path = Environment(("KILNWATCH_COM" + number).c_str());
    if (!path.empty()) {
        return path;
    }
    const std::string dir = KilnwatchConfigDirectory();
    if (!dir.empty()) {
        const std::string link = dir + "/com" + number;
        struct stat info {};
        if (lstat(link.c_str(), &info) == 0) {
            return link;
        }
    }
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}
