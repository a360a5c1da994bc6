#include "config/ScanPaceValues.h"

#include "config/RegistryStore.h"

#include <limits>
#include <string>

namespace {

const std::string kScanPace = "Scan Pace";
const std::string kGuardTime = "Scan Guard Time";
const std::string kMargin = "Scan Reply Margin";

bool ReadDword(RegistryStore& store, const std::string& name, std::uint32_t& value) {
    return store.ValueExists(name) && store.GetDword(name, value);
}

int AsMilliseconds(std::uint32_t value) {
    // Far beyond any bound; Bounded() brings it down.
    constexpr auto kLargest = static_cast<std::uint32_t>(std::numeric_limits<int>::max());
    return static_cast<int>(value > kLargest ? kLargest : value);
}

} // namespace

namespace ScanPaceValues {

void Read(RegistryStore& store, ScanPaceSettings& settings) {
    std::uint32_t value = 0;
    if (ReadDword(store, kScanPace, value)) {
        settings.kind = value == static_cast<std::uint32_t>(ScanPaceKind::Line)
                            ? ScanPaceKind::Line
                            : ScanPaceKind::Tick;
    }
    if (ReadDword(store, kGuardTime, value)) {
        settings.guardMs = AsMilliseconds(value);
    }
    if (ReadDword(store, kMargin, value)) {
        settings.marginMs = AsMilliseconds(value);
    }
    settings = settings.Bounded();
}

bool WriteChanges(RegistryStore& store, const ScanPaceSettings& before,
                  const ScanPaceSettings& after) {
    bool written = true;
    if (after.kind != before.kind) {
        written = store.SetDword(kScanPace, static_cast<std::uint32_t>(after.kind)) && written;
    }
    if (after.guardMs != before.guardMs) {
        written = store.SetDword(kGuardTime, static_cast<std::uint32_t>(after.guardMs)) && written;
    }
    if (after.marginMs != before.marginMs) {
        written = store.SetDword(kMargin, static_cast<std::uint32_t>(after.marginMs)) && written;
    }
    return written;
}

} // namespace ScanPaceValues
