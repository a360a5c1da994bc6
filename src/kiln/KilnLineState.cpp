#include "kiln/KilnLineState.h"

#include "app/StringTable.h"
#include "kiln/KilnLineText.h"
#include "net/LineHealth.h"

KilnLineState::State KilnLineState::Of(int dataIcon, const UnitLineHealth* health) {
    switch (dataIcon) {
    case KilnLineText::kIconNormal:
        return State::Normal;
    case KilnLineText::kIconAlarm:
        return State::Alarm;
    default:
        break;
    }
    // Only a visit that ran out of attempts says the unit is gone: a unit still being retried
    // may yet answer.
    return health != nullptr && health->givenUp ? State::NotAnswering : State::NoData;
}

KilnLineState::State KilnLineState::OfIcon(int icon) {
    if (icon == KilnLineText::kIconNotAnswering) {
        return State::NotAnswering;
    }
    return Of(icon, nullptr);
}

int KilnLineState::Icon(State state) {
    switch (state) {
    case State::NotAnswering:
        return KilnLineText::kIconNotAnswering;
    case State::Normal:
        return KilnLineText::kIconNormal;
    case State::Alarm:
        return KilnLineText::kIconAlarm;
    case State::NoData:
        break;
    }
    return KilnLineText::kIconNoData;
}

int KilnLineState::TextId(State state) {
    switch (state) {
    case State::NotAnswering:
        return IDS_LIST_STATE_NOT_ANSWERING;
    case State::Normal:
        return IDS_LIST_STATE_NORMAL;
    case State::Alarm:
        return IDS_LIST_STATE_ALARM;
    case State::NoData:
        break;
    }
    return IDS_LIST_STATE_NO_DATA;
}

const std::string& KilnLineState::Text(State state, Language language) {
    return StringTable::Text(language, TextId(state));
}
