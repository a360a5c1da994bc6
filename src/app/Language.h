#pragma once

// The language of every text the program shows. Both text sets are in every build; the
// program picks one at construction (kilnwatch: English, kilnwatch-es: Spanish).
enum class Language { English, Spanish };
