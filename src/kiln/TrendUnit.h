#pragma once

#include "app/FarmRecord.h"

// The unit a Trend window opens on: the unit of the kiln list's current line (the operator's
// click or arrow keys), else the farm's selected unit, else its first unit, else node 1.
// currentLineNodeId is 0 when the list has no current line.
int TrendUnitToShow(const FarmRecord& farm, int currentLineNodeId);
