#include "sim/kilnsim/DeviceLink.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

DeviceLink::~DeviceLink() {
    Remove();
}

bool DeviceLink::Create(const std::string& linkPath, const std::string& target) {
    Remove();
    m_strError.clear();
    std::error_code ec;
    const fs::path path(linkPath);
    const fs::file_status status = fs::symlink_status(path, ec);
    if (fs::exists(status) && !fs::is_symlink(status)) {
        m_strError = linkPath + " exists and is not a symbolic link; it is left as it is";
        return false;
    }
    // An operator's link to the farm's real line (a USB adapter, say) is their configuration:
    // only a link to nothing, or to a pseudo-terminal such as another simulator's, is replaced.
    if (fs::is_symlink(status)) {
        const fs::path current = fs::read_symlink(path, ec);
        const bool leadsSomewhere = fs::exists(path, ec);
        if (leadsSomewhere && current.string().rfind("/dev/pts/", 0) != 0) {
            m_strError = linkPath + " already leads to " + current.string() +
                         "; it is left as it is (remove it, or give kilnsim another path)";
            return false;
        }
    }
    // A mistyped path must not leave folders behind: the link goes into a folder that exists.
    if (path.has_parent_path() && !fs::is_directory(path.parent_path(), ec)) {
        m_strError = "the folder " + path.parent_path().string() +
                     " of the link does not exist; kilnsim makes no folders";
        return false;
    }
    // Made beside it and renamed over it, so a reader never finds the path missing.
    const fs::path temporary =
        path.string() + ".kilnsim-" + std::to_string(static_cast<long>(::getpid()));
    fs::remove(temporary, ec);
    fs::create_symlink(target, temporary, ec);
    if (ec) {
        m_strError = "cannot create the link " + linkPath + ": " + ec.message();
        return false;
    }
    fs::rename(temporary, path, ec);
    if (ec) {
        m_strError = "cannot create the link " + linkPath + ": " + ec.message();
        fs::remove(temporary, ec);
        return false;
    }
    m_strLinkPath = linkPath;
    m_strTarget = target;
    return true;
}

void DeviceLink::Remove() {
    if (m_strLinkPath.empty()) {
        return;
    }
    std::error_code ec;
    const fs::path path(m_strLinkPath);
    if (fs::is_symlink(fs::symlink_status(path, ec)) && fs::read_symlink(path, ec) == m_strTarget) {
        fs::remove(path, ec);
    }
    m_strLinkPath.clear();
    m_strTarget.clear();
}
