#pragma once

#include "app/FrameServices.h"

#include <cstdio>
#include <string>
#include <utility>

// The main window's services without a window: the status line goes to the output whenever it
// changes ("status <text>"), and the Log Descriptor prompt is answered at once with the text
// given on the command line.
class ConsoleFrame : public FrameServices {
public:
    ConsoleFrame(std::FILE* out, std::string descriptor)
        : m_pOut(out), m_strDescriptor(std::move(descriptor)) {}

    void SetStatusText(const std::string& text) override;
    void AskLogDescriptor(CTreeListDoc& document, const std::string& previousText) override;

    const std::string& StatusText() const { return m_strStatus; }

private:
    std::FILE* m_pOut;
    std::string m_strDescriptor;
    std::string m_strStatus;
    bool m_bStatusShown = false;
};
