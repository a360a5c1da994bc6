#include "link/CMainFrameLink.h"

#include "app/CTreeListDoc.h"
#include "app/Trace.h"

CMainFrameLink::~CMainFrameLink() {
    if (m_pControl != nullptr) {
        m_pControl->SetListener(nullptr);
    }
}

void CMainFrameLink::AttachControl(SerialPortControl* control) {
    if (m_pControl != nullptr) {
        m_pControl->SetListener(nullptr);
    }
    m_pControl = control;
    if (m_pControl != nullptr) {
        m_pControl->SetListener(this);
    }
}

int CMainFrameLink::Open(bool directLine, int comPort) {
    if (m_pControl == nullptr) {
        return 0;
    }
    const int modemLine = directLine ? 0 : 1;
    m_pControl->SetPortNumber(comPort);
    m_pControl->SetBitsPerSecond(kBitsPerSecond);
    m_pControl->SetDataBits(kDataBits);
    m_pControl->SetParity(0);
    m_pControl->SetStopBits(0);
    m_pControl->SetModemLine(modemLine);
    m_iOpenResult = m_pControl->Open();
    if (m_iOpenResult < 1) {
        return 0;
    }
    m_bPortOpen = true;
    m_pControl->SetReceiveEnabled(1);
    m_pControl->SetModemControl(modemLine);
    return 1;
}

int CMainFrameLink::mf_pORT_cLOSE() {
    if (m_pControl != nullptr && IsPortOpen() && m_pControl->Close() == 0) {
        m_bPortOpen = false;
        m_iOpenResult = 0;
        if (m_pDocument != nullptr) {
            m_pDocument->FarmLinkLost(false);
        }
    }
    return 1;
}

void CMainFrameLink::OnPortLost() {
    const bool wasOpen = IsPortOpen();
    if (m_pControl != nullptr && wasOpen) {
        m_pControl->Close();
    }
    m_bPortOpen = false;
    m_iOpenResult = 0;
    if (m_pDocument != nullptr && wasOpen) {
        m_pDocument->FarmPortLost();
    }
}

int CMainFrameLink::MF_Port_Write(const std::uint8_t* bytes, int count, int expectedReplyBytes) {
    if (m_pControl == nullptr || !IsPortOpen() || bytes == nullptr || count <= 0) {
        return 0;
    }
    // Every write starts from an empty buffer, so a reply can only be made of bytes that
    // arrived after its request.
    m_pControl->Discard();
    const int written = m_pControl->Write(bytes, count);
    m_iNoOfExpectedReplyBytes = expectedReplyBytes;
    return written;
}

void CMainFrameLink::HowManyBytesInTheReceiveBuffer() {
    if (m_pControl == nullptr) {
        return;
    }
    const long used = m_pControl->BytesWaiting();
    const long freeSpace = m_pControl->FreeSpace();
    KW_TRACE("CMainFrame::HowManyBytesInTheReceiveBuffer().....U+F=%ld, USED=%ld, FREE=%ld\n",
             used + freeSpace, used, freeSpace);
    (void)used;
    (void)freeSpace;
}

int CMainFrameLink::BytesWaiting() {
    if (m_pControl == nullptr || !IsPortOpen()) {
        return 0;
    }
    return m_pControl->BytesWaiting();
}

int CMainFrameLink::CarrierDetect() {
    if (m_pControl == nullptr || !IsPortOpen()) {
        return 0;
    }
    return m_pControl->CarrierDetect();
}

void CMainFrameLink::OnPortControl_CdChange(int carrierState) {
    if (m_pDocument == nullptr) {
        return;
    }
    if (carrierState == 1) {
        m_pDocument->SetFarmIsConnected();
    } else {
        m_pDocument->FarmLinkLost(true);
    }
}

void CMainFrameLink::OnPortControl_IncomingData() {
    if (m_pControl == nullptr) {
        return;
    }
    // The modem's own answers are never examined.
    if (m_pDocument != nullptr && m_pDocument->InCommandMode()) {
        m_pControl->Discard();
        return;
    }
    const int waiting = m_pControl->BytesWaiting();
    if (waiting != m_iNoOfExpectedReplyBytes || waiting <= 0 || waiting > kBufferSize) {
        return;
    }
    const int read = m_pControl->Read(m_readBuffer.data(), waiting);
    if (read != waiting) {
        return;
    }
    m_replyBuffer = m_readBuffer;
    m_iReplyByteCount = read;
    if (m_pDocument != nullptr) {
        m_pDocument->pROCESStHErAWdATA(m_replyBuffer.data(), m_iReplyByteCount);
    }
}
