#pragma once

#include "net/ScanPace.h"

class RegistryStore;

// The scan pace values of a farm's key. They are optional: a key without them is the tick pace
// with the default times, and they are written only when the operator changes one, so a hive
// that never had them stays as it was.
namespace ScanPaceValues {

// Reads the values present in the open key into settings; missing or unreadable ones keep
// what settings held. The result is bounded.
void Read(RegistryStore& store, ScanPaceSettings& settings);

// Writes to the open key each value that differs between before and after; false when one of
// them could not be written.
bool WriteChanges(RegistryStore& store, const ScanPaceSettings& before,
                  const ScanPaceSettings& after);

} // namespace ScanPaceValues
