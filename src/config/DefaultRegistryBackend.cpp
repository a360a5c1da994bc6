#include "config/RegistryBackend.h"

#if defined(_WIN32)
#include "config/WinRegistryBackend.h"

std::unique_ptr<RegistryBackend> MakeDefaultRegistryBackend() {
    return std::make_unique<WinRegistryBackend>();
}
#else
#include "config/ConfigPaths.h"
#include "config/HiveFileBackend.h"

std::unique_ptr<RegistryBackend> MakeDefaultRegistryBackend() {
    return std::make_unique<HiveFileBackend>(DefaultHivePath());
}
#endif
