#pragma once

#include <string>

class CTreeListDoc;

// Services of the main window that the document uses: the message pane of the status bar and
// the Log Descriptor prompt.
class FrameServices {
public:
    virtual ~FrameServices() = default;
    virtual void SetStatusText(const std::string& text) = 0;
    // Shows the prompt for the first line of a new PC log file, offering previousText, and
    // returns without waiting: polling goes on while the operator types. The frame answers
    // with document.OnLogDescriptorAnswered(true, text) on OK, or (false, "") when the
    // prompt is closed any other way. A frame without a user interface may answer at once.
    virtual void AskLogDescriptor(CTreeListDoc& document, const std::string& previousText) = 0;
    // Takes an open prompt away: the document answered it itself (it waited too long, or its
    // connection ended). An answer the prompt still gives is ignored.
    virtual void CloseLogDescriptor() {}
};
