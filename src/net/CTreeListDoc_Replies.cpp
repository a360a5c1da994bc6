// A reply collected at its expected length is checked and handed to whoever waits for it. The
// node byte of a status reply decides which unit is updated; it is not compared with the node
// that was asked.

#include "app/CTreeListDoc.h"
#include "kiln/KilnDecoding.h"
#include "kiln/KilnListView.h"
#include "link/PortWriter.h"
#include "net/Frames.h"

#include <algorithm>

void CTreeListDoc::pROCESStHErAWdATA(const std::uint8_t* reply, int byteCount) {
    FarmRecord& farm = CurrentFarm();
    if (m_link.m_nDisconnectStage != 0 || !farm.m_bFarmIsConnected) {
        return;
    }
    if (reply == nullptr || byteCount != m_tx.m_iExpectedReplyBytes || byteCount < 2) {
        return;
    }
    if (m_pPortWriter != nullptr) {
        m_pPortWriter->HowManyBytesInTheReceiveBuffer();
    }
    const std::uint8_t code = reply[1];
    if (!IsReplyCode(code) || !VerifyTheChecksum(ChecksumBytesFor(code), byteCount, reply)) {
        NoteRefusedReply();
        return;
    }

    m_tx.m_iRetryCountdown = 0;

    switch (m_tx.m_iTransactionType) {
    case TT_KVN_T1_PIO_I: {
        if (byteCount != kScanReplyLength) {
            break;
        }
        KilnRecord& scratch = ScratchRecord();
        KVN_To_PC(scratch, reply + 2);
        const int nodeId = reply[0];
        KilnRecord* stored = farm.Unit(nodeId - 1);
        // Another unit's reply still updates that unit, but the unit asked has not answered.
        if (nodeId == m_tx.m_iScanTarget) {
            m_health.GoodReply(nodeId, LocalNow());
        } else {
            NoteRefusedReply();
        }
        if (stored != nullptr) {
            m_trends.AddReading(nodeId, LocalNow(), scratch);
        }
        if (m_pListView != nullptr && nodeId >= 1 && nodeId <= kUnitSlotCount &&
            stored != nullptr) {
            if (scratch.m_bCentigrade != stored->m_bCentigrade) {
                ClearTemperatureSetpoints(*stored);
            }
            m_pListView->NotifyOfData(m_tx.m_iRetryCountdown, m_iCurrentFarm, scratch, *stored,
                                      nodeId);
            if (m_pclog.m_bPcLoggingEnabled && m_pclog.m_bLogCycleActive) {
                lOGdETAILlINE(true, m_iCurrentFarm, nodeId);
            }
            *stored = scratch;
            SetAlarmBit(nodeId - 1, stored->m_iAlarmStatus != 0);
            ++m_kiln.m_qwStatusReplies;
            if (nodeId == farm.m_iSelectedNode) {
                auto& image = RecordImage();
                std::copy_n(reply, kScanReplyLength, image.begin());
                m_kiln.m_imageOrigin = {m_iCurrentFarm, m_link.m_dwConnectionNumber, nodeId,
                                        m_kiln.m_qwStatusReplies};
                if (!ImageFilled()) {
                    m_pListView->NotifyOfStartupScanStatus(m_tx.m_bStartupScanComplete);
                    SetImageFilled(true);
                }
            }
        }
        break;
    }
    case TT_KVN_T2_PIO_I:
        if (m_pListView != nullptr) {
            m_pListView->nOTIFYoFsTATUS(code);
        }
        break;
    case TT_ZRM_T1_PIO_I:
        if (byteCount >= 5) {
            m_station.m_dwQuery1ByteCount = Get_DataByteCount(reply);
            m_station.m_iQuery1State = 1;
        }
        break;
    default:
        // Only the retry countdown changes.
        return;
    }
    m_tx.m_iTransactionType = m_tx.m_iNextTransactionType;
    NoteLineAnswered();
}

void CTreeListDoc::NoteRefusedReply() {
    if (m_tx.m_iTransactionType == TT_KVN_T1_PIO_I && !m_bAttemptRefused) {
        m_bAttemptRefused = true;
        m_health.Refused(m_tx.m_iScanTarget);
    }
}
