#pragma once

#include "app/Language.h"

#include <string>

struct UnitLineHealth;

// What a unit's line in the kiln list stands for, shown by its icon and said in words to
// whoever cannot see the icon. A line without data has two causes the operator must tell
// apart: a unit the line has not reached yet on this connection (wait) and a unit that stopped
// answering, its last visit given up after every attempt (go and look at it).
class KilnLineState {
public:
    enum class State { NoData, NotAnswering, Normal, Alarm };

    // dataIcon: the icon the line's texts give its record (KilnLineText). health: the unit's
    // line health on the connection the list shows, or nullptr when the farm shown is not the
    // connected one.
    static State Of(int dataIcon, const UnitLineHealth* health);
    // The state an image index of the list shows; an unknown index reads as no data.
    static State OfIcon(int icon);

    static int Icon(State state);
    static int TextId(State state);
    static const std::string& Text(State state, Language language);
};
