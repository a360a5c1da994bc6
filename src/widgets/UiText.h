#pragma once

#include "app/StringTable.h"

#include <QString>

// A text of the string table, for a widget: every window, menu and dialog takes its texts
// through this one lookup.
inline QString UiText(Language language, int id) {
    return QString::fromStdString(StringTable::Text(language, id));
}

// A text that has one id per language.
inline QString UiText(Language language, int englishId, int spanishId) {
    return UiText(language, TextId(language, englishId, spanishId));
}
