#include "config/ConfigPaths.h"
#include "config/HiveFileBackend.h"
#include "config/RegistryBackend.h"

std::unique_ptr<RegistryBackend> MakeDefaultRegistryBackend() {
    return std::make_unique<HiveFileBackend>(DefaultHivePath());
}
