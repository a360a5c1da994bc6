#include "events/AlarmList.h"

#include <algorithm>

bool AlarmList::Raise(int farm, int unit, const std::string& condition, std::int64_t now) {
    for (const Alarm& alarm : m_entries) {
        if (alarm.farm == farm && alarm.unit == unit && alarm.condition == condition &&
            !alarm.cleared && !alarm.acknowledged) {
            return false;
        }
    }
    m_entries.push_back(Alarm{farm, unit, condition, now, false, false});
    Order();
    return true;
}

void AlarmList::Clear(int farm, int unit, const std::string& condition) {
    for (Alarm& alarm : m_entries) {
        if (alarm.farm == farm && alarm.unit == unit &&
            (condition.empty() || alarm.condition == condition)) {
            alarm.cleared = true;
        }
    }
    std::erase_if(m_entries,
                  [](const Alarm& alarm) { return alarm.cleared && alarm.acknowledged; });
}

bool AlarmList::Acknowledge(int farm, int unit, const std::string& condition) {
    bool found = false;
    for (Alarm& alarm : m_entries) {
        if (alarm.farm == farm && alarm.unit == unit && alarm.condition == condition &&
            !alarm.acknowledged) {
            alarm.acknowledged = true;
            found = true;
        }
    }
    std::erase_if(m_entries,
                  [](const Alarm& alarm) { return alarm.cleared && alarm.acknowledged; });
    Order();
    return found;
}

std::vector<AlarmList::Alarm> AlarmList::AcknowledgeAll() {
    std::vector<Alarm> acknowledged;
    for (Alarm& alarm : m_entries) {
        if (!alarm.acknowledged) {
            alarm.acknowledged = true;
            acknowledged.push_back(alarm);
        }
    }
    std::erase_if(m_entries,
                  [](const Alarm& alarm) { return alarm.cleared && alarm.acknowledged; });
    Order();
    return acknowledged;
}

bool AlarmList::AnyUnacknowledged() const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [](const Alarm& alarm) { return !alarm.acknowledged; });
}

bool AlarmList::Unacknowledged(int farm, int unit) const {
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const Alarm& alarm) {
        return alarm.farm == farm && alarm.unit == unit && !alarm.acknowledged;
    });
}

void AlarmList::Order() {
    std::stable_sort(m_entries.begin(), m_entries.end(), [](const Alarm& a, const Alarm& b) {
        if (a.acknowledged != b.acknowledged) {
            return !a.acknowledged;
        }
        return a.raised > b.raised;
    });
}
