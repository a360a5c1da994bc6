#pragma once

#include "kiln/KilnRecord.h"

// The open controller sheet as the kiln list reaches it: fresh data of the unit it shows, the
// result of a commit (or the scheduler's failure code 70), and the end of the start-up scan.
class PaletteSheetSink {
public:
    virtual ~PaletteSheetSink() = default;
    virtual void Refresh(const KilnRecord& record) = 0;
    virtual void NotifyOfStatus(int replyCode) = 0;
    virtual void NotifyOfStartupScanStatus(bool startupScanComplete) = 0;
};
