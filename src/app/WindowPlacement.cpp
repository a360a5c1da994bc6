#include "app/WindowPlacement.h"

#include <cstdio>

std::optional<WindowPlacement> WindowPlacement::Parse(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    WindowPlacement placement;
    const int fields = std::sscanf(
        text.c_str(), "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", &placement.flags, &placement.showCommand,
        &placement.minimizedX, &placement.minimizedY, &placement.maximizedX, &placement.maximizedY,
        &placement.left, &placement.top, &placement.right, &placement.bottom);
    if (fields != 10) {
        return std::nullopt;
    }
    return placement;
}

std::string WindowPlacement::Format() const {
    char text[160];
    std::snprintf(text, sizeof text, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", flags, showCommand,
                  minimizedX, minimizedY, maximizedX, maximizedY, left, top, right, bottom);
    return text;
}

unsigned WindowPlacement::InitialShowCommand(unsigned startShowCommand,
                                             const WindowPlacement& stored) {
    return startShowCommand == kShowNormal ? stored.showCommand : startShowCommand;
}
