#pragma once

#include <string>

// The two file attributes a PC log file carries. Failures are silent: they return false and
// leave the file as it was.

// Windows hides a log file while its connection writes to it. Other platforms have no such
// attribute, so this succeeds and changes nothing there.
bool SetHiddenAttribute(const std::string& path, bool hidden);

// On Windows the read-only attribute; elsewhere read-only clears every write permission and
// clearing it gives the owner write permission back.
bool SetReadOnlyAttribute(const std::string& path, bool readOnly);
