// kilnwatch and kilnwatch-es: the desktop program. The language is chosen when it is built.

#include "app/Language.h"

int main() {
    constexpr Language language = Language::KILNWATCH_LANGUAGE;
    (void)language;
    return 0;
}
