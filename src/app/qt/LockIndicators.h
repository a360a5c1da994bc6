#pragma once

#include <array>
#include <optional>

// The state of the keyboard's Caps, Num and Scroll Lock, where the platform tells it (X11 and
// Windows); nothing elsewhere (Wayland, the offscreen platform), so the status bar shows no
// indicator rather than a wrong one.
class LockIndicators {
public:
    enum Lock { Caps, Num, Scroll };
    using State = std::array<bool, 3>;

    static std::optional<State> Read();
};
