#pragma once

#include <string>

// Where this program keeps its files and finds its ports.

// The highest port number Windows gives a serial port.
inline constexpr int kMaxWindowsComPort = 255;

// "$XDG_CONFIG_HOME/kilnwatch" when that variable holds an absolute path, else
// "$HOME/.config/kilnwatch" (the user database when HOME is unset); empty when neither can be
// found.
std::string KilnwatchConfigDirectory();

// "$KILNWATCH_REGISTRY" when set and not empty, else "<config dir>/registry.reg"; empty when
// there is no config dir.
std::string DefaultHivePath();

// The device that port COMn (n = 1..4) stands for: "$KILNWATCH_COMn" when set and not empty;
// else the entry "<config dir>/comN" when it exists (usually a link to the device, as Wine's
// dosdevices folder has it); else "/dev/ttyS{n-1}". Empty for any other n.
// On Windows: "COMn" for n = 1..9 and "\\.\COMn" for n = 10..kMaxWindowsComPort, where the
// folder is "%APPDATA%\kilnwatch".
std::string ComPortDevicePath(int portNumber);
