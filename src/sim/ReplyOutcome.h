#pragma once

namespace farmsim {

// What became of one reply on its way to the PC.
struct ReplyOutcome {
    bool sent = false; // false: silenced by chance
    bool badChecksum = false;
    bool missingByte = false;
    bool extraByte = false;
    bool noise = false;
    bool late = false;
    bool carrierLoss = false;
    // The faults changed what a PC would take as the reply, and the additive checksum still
    // accepts it: the PC cannot tell such a reply from one the station sent.
    bool undetectedDamage = false;

    // The reply's own bytes reached the line unaltered and whole.
    bool Intact() const {
        return sent && !badChecksum && !missingByte && !extraByte && !carrierLoss;
    }

    // A PC that takes exactly the expected number of bytes within its one-second wait gets it.
    bool Deliverable() const { return Intact() && !noise && !late; }
};

} // namespace farmsim
