#pragma once

#include "link/PortWriter.h"
#include "link/SerialPortControl.h"

#include <array>
#include <cstdint>

class CTreeListDoc;

// The serial-link half of the main frame: it alone talks to the serial-port control. It
// writes frames while recording the length of the reply they ask for, hands a reply to the
// document only when exactly that many bytes wait in the control, and turns carrier changes
// into connection events. The Qt main frame inherits it.
class CMainFrameLink : public PortWriter, public SerialPortListener {
public:
    static constexpr int kBufferSize = 1032;
    static constexpr int kBitsPerSecond = 2400;
    static constexpr int kDataBits = 8;

    CMainFrameLink() = default;
    ~CMainFrameLink() override;
    CMainFrameLink(const CMainFrameLink&) = delete;
    CMainFrameLink& operator=(const CMainFrameLink&) = delete;

    // The control and the document are owned elsewhere and outlive this object's use of them.
    void AttachControl(SerialPortControl* control);
    void AttachDocument(CTreeListDoc* document) { m_pDocument = document; }

    // Returns 1 when the port opened, else 0.
    int Open(bool directLine, int comPort);
    // Closes an open port; a successful close marks the farm's link lost. Returns 1 always.
    int mf_pORT_cLOSE();
    // The device vanished under the open port (adapter pulled, far end gone): the port is
    // closed and the document told that the farm's connection is lost.
    void OnPortLost();
    int MF_Port_Write(const std::uint8_t* bytes, int count, int expectedReplyBytes) override;
    void HowManyBytesInTheReceiveBuffer() override;

    // PortWriter, as the document reaches the port.
    int OpenPort(bool directLine, int comPort) override { return Open(directLine, comPort); }
    void ClosePort() override { mf_pORT_cLOSE(); }
    int CarrierDetect() override;
    int BytesWaiting() override;

    // SerialPortListener
    void OnPortControl_CdChange(int carrierState) override;
    void OnPortControl_IncomingData() override;

    bool IsPortOpen() const { return m_bPortOpen && m_iOpenResult >= 1; }
    int ExpectedReplyBytes() const { return m_iNoOfExpectedReplyBytes; }

private:
    SerialPortControl* m_pControl = nullptr;
    CTreeListDoc* m_pDocument = nullptr;
    bool m_bPortOpen = false;
    int m_iOpenResult = 0;
    int m_iNoOfExpectedReplyBytes = 0;
    std::array<std::uint8_t, kBufferSize> m_readBuffer{};
    std::array<std::uint8_t, kBufferSize> m_replyBuffer{};
    int m_iReplyByteCount = 0;
};
