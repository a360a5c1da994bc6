#pragma once

#include <string>

// A symbolic link to the pseudo-terminal's device, so a program can find the line at a fixed
// path (a "comN" entry of its configuration folder). It replaces only a symbolic link that leads
// nowhere or to a pseudo-terminal, never a file or a link to a real line, and at the end it
// removes the link only while it still points at this device: a user's file or link, or a link
// another simulator made in the meantime, is left alone.
class DeviceLink {
public:
    DeviceLink() = default;
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Makes linkPath point at target, in a folder that must exist. False, with Error()
    // telling why, when a file or a link to a real line is in the way or the system refuses.
    bool Create(const std::string& linkPath, const std::string& target);
    void Remove();

    const std::string& Error() const { return m_strError; }

private:
    std::string m_strLinkPath;
    std::string m_strTarget;
    std::string m_strError;
};
