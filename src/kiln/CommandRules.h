#pragma once

#include "app/FarmRecord.h"
#include "kiln/KilnRecord.h"

// When the operator's commands on a unit or a farm are allowed. The menus gray what these
// refuse, and each command asks again when it runs: the state may have changed while the
// menu was open.

// Operate (the unit's controller sheet from the kiln list's menu): a unit that has answered,
// so its curing method is known, and is in Standby or Run. A unit in Setup is being worked on
// at its own panel.
bool MayOperateUnit(const KilnRecord& unit);

// Delete a unit: only while its farm is not connected, so no poll, commit or PC log line of
// the connection loses its unit underneath it.
bool MayDeleteUnit(const FarmRecord& farm);

// Connect and Disconnect of the farm tree. While one farm is connected the others are not
// selectable: one serial line serves one farm at a time.
bool MayConnectFarm(const FarmRecord& farm);
bool MayDisconnectFarm(const FarmRecord& farm);
