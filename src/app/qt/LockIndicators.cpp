#include "app/qt/LockIndicators.h"

#include <QGuiApplication>

#if defined(KILNWATCH_HAVE_X11)
#include <X11/XKBlib.h>
#endif
#if defined(Q_OS_WIN)
#include <windows.h>
#endif

std::optional<LockIndicators::State> LockIndicators::Read() {
#if defined(Q_OS_WIN)
    return State{(GetKeyState(VK_CAPITAL) & 1) != 0, (GetKeyState(VK_NUMLOCK) & 1) != 0,
                 (GetKeyState(VK_SCROLL) & 1) != 0};
#elif defined(KILNWATCH_HAVE_X11)
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    if (display == nullptr) {
        return std::nullopt;
    }
    State state{};
    const char* names[] = {"Caps Lock", "Num Lock", "Scroll Lock"};
    for (std::size_t i = 0; i < state.size(); ++i) {
        const Atom atom = XInternAtom(display, names[i], True);
        Bool on = False;
        if (atom == None || !XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) {
            // This display does not name its indicators: show none rather than guess.
            return std::nullopt;
        }
        state[i] = on == True;
    }
    return state;
#else
    return std::nullopt;
#endif
}
