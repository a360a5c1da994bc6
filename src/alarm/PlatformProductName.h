#pragma once

#include <string>

// The product name of the running platform, "<Unknown>" when it cannot be read.
std::string ReadPlatformProductName();
