#pragma once

#include <optional>
#include <string>

// Where the main window was when the program last ended, kept in the settings as ten numbers:
// flags, show command, minimised x and y, maximised x and y, and the normal rectangle's left,
// top, right and bottom ("%u,%u,%d,%d,%d,%d,%d,%d,%d,%d").
struct WindowPlacement {
    static constexpr unsigned kShowNormal = 1;
    static constexpr unsigned kShowMinimized = 2;
    static constexpr unsigned kShowMaximized = 3;

    unsigned flags = 0;
    unsigned showCommand = kShowNormal;
    int minimizedX = -1;
    int minimizedY = -1;
    int maximizedX = -1;
    int maximizedY = -1;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // The stored text back as a placement; nothing unless all ten fields read.
    static std::optional<WindowPlacement> Parse(const std::string& text);
    std::string Format() const;

    // The show command the window opens with: a stored one replaces only the ordinary
    // show-normal start, so a start asked to be minimised stays minimised (and still gets the
    // stored rectangle).
    static unsigned InitialShowCommand(unsigned startShowCommand, const WindowPlacement& stored);

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }

    bool operator==(const WindowPlacement&) const = default;
};
