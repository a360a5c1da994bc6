#pragma once

#include <string>

// Services of the main window that the document uses: the message pane of the status bar.
class FrameServices {
public:
    virtual ~FrameServices() = default;
    virtual void SetStatusText(const std::string& text) = 0;
};
