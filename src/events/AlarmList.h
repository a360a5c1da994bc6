#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The alarms the operator has to see: every alarm raised, until it is both cleared and
// acknowledged. Unacknowledged ones come first, newest first within each group.
class AlarmList {
public:
    struct Alarm {
        int farm = 0;
        int unit = 0;
        std::string condition; // "High" or "Low"
        std::int64_t raised = 0;
        bool cleared = false;
        bool acknowledged = false;

        bool operator==(const Alarm&) const = default;
    };

    // A condition raised on a unit: a new unacknowledged entry, even when an acknowledged one
    // of the same condition is still active. False when that unacknowledged entry is there.
    bool Raise(int farm, int unit, const std::string& condition, std::int64_t now);
    // The unit no longer reports the condition (or any, when condition is empty): its entries
    // become cleared; acknowledged ones leave the list.
    void Clear(int farm, int unit, const std::string& condition);
    // False when there is no such unacknowledged entry. A cleared one leaves the list.
    bool Acknowledge(int farm, int unit, const std::string& condition);
    // The entries acknowledged by it, in list order.
    std::vector<Alarm> AcknowledgeAll();

    const std::vector<Alarm>& Entries() const { return m_entries; }
    bool AnyUnacknowledged() const;
    bool Unacknowledged(int farm, int unit) const;

private:
    void Order();

    std::vector<Alarm> m_entries;
};
