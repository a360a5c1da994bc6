// Connecting and disconnecting the current farm: a direct line at once, a modem line one stage
// per tick ("+++", "ATH0", "ATE0", dial, wait for carrier; and "+++", "ATH0", close to hang up).

#include "app/CTreeListDoc.h"
#include "app/Clock.h"
#include "app/StringTable.h"
#include "kiln/FarmTreeView.h"
#include "kiln/KilnListView.h"
#include "link/PortWriter.h"
#include "net/Frames.h"

#include <cstdio>

namespace {

constexpr std::int32_t DIALUP_DELAY_TIME = 30;
constexpr std::int16_t kConnectStages = 12;
constexpr std::int16_t kDisconnectStages = 6;
constexpr std::int16_t kLogTickCounterAtConnect = 57;

} // namespace

std::string CTreeListDoc::Text(int englishId, int spanishId) const {
    return StringTable::Text(m_language, TextId(m_language, englishId, spanishId));
}

void CTreeListDoc::ShowConnectedToGroup(int farmIndex) {
    char text[96];
    std::snprintf(text, sizeof text, "%s %d",
                  Text(IDS_CONNECTED_TO_GROUP, IDS_CONNECTED_TO_GROUP_ES).c_str(), farmIndex + 1);
    SetStatus(text);
}

int CTreeListDoc::PortOpen(bool directLine, int comPort) {
    if (m_pPortWriter == nullptr) {
        return 0;
    }
    m_link.m_bPortOpen = m_pPortWriter->OpenPort(directLine, comPort) == 1;
    return m_link.m_bPortOpen ? 1 : 0;
}

void CTreeListDoc::PortClose() {
    if (m_pPortWriter == nullptr || !m_link.m_bPortOpen) {
        return;
    }
    m_link.m_bPortOpen = false;
    m_pPortWriter->ClosePort();
}

int CTreeListDoc::PortCarrier() {
    return m_pPortWriter != nullptr ? m_pPortWriter->CarrierDetect() : 0;
}

void CTreeListDoc::FarmConnect(int farmIndex) {
    if (farmIndex < 0 || farmIndex >= kFarmCount) {
        return;
    }
    m_link.m_iReconnectFarm = -1;
    m_iCurrentFarm = farmIndex;
    FarmRecord& farm = CurrentFarm();
    if (farm.m_byConnectionType != CT_LOCAL) {
        // The sequence runs from the next tick; a port that did not open ends in
        // "UNABLE TO CONNECT" there.
        m_link.m_nConnectStage = kConnectStages;
        PortOpen(false, farm.m_iSerialPort);
    } else {
        m_link.m_nConnectStage = 0;
        m_link.m_nDisconnectStage = 0;
        if (PortOpen(true, farm.m_iSerialPort) == 1) {
            ShowConnectedToGroup(farmIndex);
            m_tx.m_nLogTickCounter = kLogTickCounterAtConnect;
            pUT_fARMiScONNECTED(farmIndex, true);
            fARMcONNECTIONtRANSITION(true, farmIndex);
        } else {
            SetStatus(Text(IDS_UNABLE_TO_OPEN_PORT, IDS_UNABLE_TO_OPEN_PORT_ES));
        }
    }
    // The start-up scan: every unit once, in node order.
    for (int nodeId = 1; nodeId <= kUnitSlotCount; ++nodeId) {
        if (farm.Unit(nodeId - 1) != nullptr) {
            farm.m_queue.Add(nodeId);
        }
    }
}

void CTreeListDoc::RunConnectStage() {
    FarmRecord& farm = CurrentFarm();
    if (farm.m_byConnectionType == CT_LOCAL) {
        return;
    }
    char text[96];
    switch (m_link.m_nConnectStage) {
    case 12:
    case 11:
    case 9:
    case 6:
    case 3:
    case 2:
        std::snprintf(text, sizeof text, "ConnectStage == %d (WAIT STATE)", m_link.m_nConnectStage);
        SetStatus(text);
        break;
    case 10:
        SetStatus("ConnectStage == 10 (+++)");
        IssueDisconnect_1();
        break;
    case 8:
        SetStatus("ConnectStage == 8 (ATH0<CR><LF>)");
        IssueDisconnect_2();
        break;
    case 7:
        SetStatus("ConnectStage == 7 (ATE0<CR><LF>)");
        m_link.m_bInCommandMode = true;
        IssueEchoOff();
        break;
    case 5:
        SetStatus("ConnectStage == 5 (ATX1D<CR><LF>)");
        IssueConnect();
        m_link.m_iDialupTickCount = 0;
        break;
    case 4:
        ++m_link.m_iDialupTickCount;
        if (m_link.m_iDialupTickCount >= DIALUP_DELAY_TIME) {
            // The count is not shown on the tick that gives up: the operator sees 1..29, then
            // the verdict.
            SetStatus(Text(IDS_UNABLE_TO_CONNECT, IDS_UNABLE_TO_CONNECT_ES));
            m_link.m_nConnectStage = 0;
            m_link.m_bInCommandMode = false;
        } else {
            std::snprintf(text, sizeof text, "ConnectStage == 4 (WAITING for RESPONSE)...%d",
                          m_link.m_iDialupTickCount);
            SetStatus(text);
            if (PortCarrier() == 1) {
                SetFarmIsConnected();
            }
        }
        // Stage 4 moves on only through the carrier.
        return;
    case 1:
        SetStatus("ConnectStage == 1 (WAIT STATE)");
        m_link.m_nDisconnectStage = 0;
        pUT_fARMiScONNECTED(m_iCurrentFarm, true);
        fARMcONNECTIONtRANSITION(true, m_iCurrentFarm);
        m_link.m_bInCommandMode = false;
        break;
    default:
        // Idle: make sure the port of a farm that is not connected is closed.
        m_link.m_nConnectStage = 0;
        PortClose();
        return;
    }
    --m_link.m_nConnectStage;
}

void CTreeListDoc::SetFarmIsConnected() {
    if (m_link.m_nConnectStage >= 1) {
        --m_link.m_nConnectStage;
        m_link.m_bConnectedNow = true;
    } else {
        // A carrier while no connection is being made.
        PortClose();
    }
}

void CTreeListDoc::ShowConnectionNotices() {
    if (m_link.m_bConnectedNow) {
        if (m_link.m_nConnectStage > 0) {
            ShowConnectedToGroup(m_iCurrentFarm);
        }
        m_link.m_bConnectedNow = false;
    } else if (m_link.m_bDisconnectedNow) {
        SetStatus(Text(IDS_NOT_CONNECTED, IDS_NOT_CONNECTED_ES));
        m_link.m_bDisconnectedNow = false;
        m_tx.m_wStatusTime = 0;
        m_tx.m_bStatusTimeShown = false;
    }
}

void CTreeListDoc::fARMdISCONNECT(int farmIndex) {
    if (farmIndex < 0 || farmIndex >= kFarmCount) {
        return;
    }
    m_link.m_iReconnectFarm = -1;
    FarmRecord& farm = Farm(farmIndex);
    if (farm.m_byConnectionType == CT_LOCAL) {
        pUT_fARMiScONNECTED(farmIndex, false);
        fARMcONNECTIONtRANSITION(false, farmIndex);
        PortClose();
        SetStatus(Text(IDS_NOT_CONNECTED, IDS_NOT_CONNECTED_ES));
    } else if (m_link.m_nDisconnectStage == 0) {
        m_link.m_nDisconnectStage = kDisconnectStages;
    }
    ClearFarmAfterDisconnect(farmIndex);
}

void CTreeListDoc::ClearFarmAfterDisconnect(int farmIndex) {
    FarmRecord& farm = Farm(farmIndex);
    if (m_pListView != nullptr) {
        m_pListView->nOTIFYoFtREEsELECTION(true, farmIndex, farm.m_units);
    }
    for (auto& unit : farm.m_units) {
        if (unit) {
            unit->m_iCuringMethod = 0;
        }
    }
    for (int nodeIndex = 0; nodeIndex < 256; ++nodeIndex) {
        SetAlarmBit(nodeIndex, false);
    }
    AnnunciateAlarms();
    farm.m_queue.RemoveAll();
}

void CTreeListDoc::FarmPortLost() {
    const int farmIndex = m_iCurrentFarm;
    const bool wasConnected = CurrentFarm().m_bFarmIsConnected != 0;
    const bool wasConnecting = m_link.m_nConnectStage > 0;
    m_link.m_bPortOpen = false;
    m_link.m_nConnectStage = 0;
    m_link.m_nDisconnectStage = 0;
    m_link.m_bInCommandMode = false;
    // A lost port is a disconnection nobody asked for: it ends what the disconnect command
    // ends - tree mark, PC log, list lines, alarms and tone, queue - before the next tick says
    // "NOT CONNECTED".
    pUT_fARMiScONNECTED(farmIndex, false);
    if (wasConnected) {
        fARMcONNECTIONtRANSITION(false, farmIndex);
        ClearFarmAfterDisconnect(farmIndex);
    }
    m_link.m_bDisconnectedNow = true;
    if ((wasConnected || wasConnecting) && m_link.m_iReconnectSeconds > 0) {
        m_link.m_iReconnectFarm = farmIndex;
        // One tick more: the first one after the loss says "NOT CONNECTED".
        m_link.m_iReconnectCountdown = m_link.m_iReconnectSeconds + 1;
    }
}

void CTreeListDoc::RunReconnectWait() {
    if (m_link.m_iReconnectFarm < 0 || m_link.m_nConnectStage > 0) {
        return;
    }
    const int farmIndex = m_link.m_iReconnectFarm;
    if (m_link.m_iReconnectCountdown > 0) {
        if (m_link.m_iReconnectCountdown <= m_link.m_iReconnectSeconds) {
            SetStatus(ReconnectText(farmIndex, m_link.m_iReconnectCountdown));
        }
        --m_link.m_iReconnectCountdown;
        return;
    }
    FarmConnect(farmIndex);
    // A port still missing is tried again after the same wait; a modem line that fails to
    // connect ends the attempts with its own message.
    if (Farm(farmIndex).m_bFarmIsConnected == 0 && m_link.m_nConnectStage == 0) {
        m_link.m_iReconnectFarm = farmIndex;
        m_link.m_iReconnectCountdown = m_link.m_iReconnectSeconds;
    }
}

std::string CTreeListDoc::ReconnectText(int farmIndex, int seconds) const {
    char text[128];
    std::snprintf(text, sizeof text, StringTable::Text(m_language, IDS_RECONNECTING).c_str(),
                  farmIndex + 1, seconds);
    return text;
}

void CTreeListDoc::RunDisconnectStage() {
    char text[96];
    switch (m_link.m_nDisconnectStage) {
    case 6:
    case 5:
    case 3:
        std::snprintf(text, sizeof text, "DisconnectStage == %d (WAIT STATE)",
                      m_link.m_nDisconnectStage);
        SetStatus(text);
        break;
    case 4:
        SetStatus("DisconnectStage == 4 (+++)");
        IssueDisconnect_1();
        break;
    case 2:
        SetStatus("DisconnectStage == 2 (ATH0)");
        IssueDisconnect_2();
        break;
    case 1:
        SetStatus("DisconnectStage == 1 (CLOSE THE PORT)");
        pUT_fARMiScONNECTED(m_iCurrentFarm, false);
        fARMcONNECTIONtRANSITION(false, m_iCurrentFarm);
        PortClose();
        break;
    default:
        return;
    }
    --m_link.m_nDisconnectStage;
}

void CTreeListDoc::FarmLinkLost(bool startDisconnect) {
    if (startDisconnect) {
        fARMdISCONNECT(m_iCurrentFarm);
        return;
    }
    m_link.m_bPortOpen = false;
    pUT_fARMiScONNECTED(m_iCurrentFarm, false);
    m_link.m_nConnectStage = 0;
    m_link.m_bInCommandMode = false;
    m_link.m_bDisconnectedNow = true;
}

void CTreeListDoc::pUT_fARMiScONNECTED(int farmIndex, bool connected) {
    for (int i = 0; i < kFarmCount; ++i) {
        Farm(i).m_bFarmSelectable = (i == farmIndex) ? 1 : (connected ? 0 : 1);
    }
    Farm(farmIndex).m_bFarmIsConnected = connected ? 1 : 0;
    // A reply image of the connection that ends here can never be committed again.
    ++m_link.m_dwConnectionNumber;
    if (m_link.m_dwConnectionNumber == 0) {
        m_link.m_dwConnectionNumber = 1;
    }
    // A commit waiting to be sent, or sent and not answered yet, ends here with the line's
    // transactions: the open sheet hears of it as of one the scheduler gave up on, rather
    // than waiting for a reply that can no longer come.
    const bool commitDropped = m_tx.m_iNextTransactionType == TT_KVN_T2_PIO_O ||
                               m_tx.m_iTransactionType == TT_KVN_T2_PIO_O ||
                               m_tx.m_iTransactionType == TT_KVN_T2_PIO_I;
    m_tx.m_iTransactionType = m_tx.m_iNextTransactionType = connected ? TT_KVN_T0_PIO_O_1 : TT_NONE;
    if (commitDropped) {
        m_kiln.m_commitOrigin = {};
        if (m_pListView != nullptr) {
            m_pListView->nOTIFYoFsTATUS(KVN_RPY_FAILURE);
        }
    }
}

void CTreeListDoc::fARMcONNECTIONtRANSITION(bool connected, int farmIndex) {
    cHANGEtHEfARMiCON(connected, farmIndex);
    if (connected) {
        m_tx.m_nLogTickCounter = kLogTickCounterAtConnect;
    } else {
        EndConnectionLog(farmIndex);
    }
    Farm(farmIndex).m_bPcLogNeeded = connected ? 1 : 0;
}

void CTreeListDoc::cHANGEtHEfARMiCON(bool connected, int farmIndex) {
    if (m_pTreeView == nullptr) {
        return;
    }
    if (connected) {
        m_pTreeView->NotifyOfConnection(farmIndex);
    } else {
        m_pTreeView->NotifyOfDisconnection(farmIndex);
    }
}

void CTreeListDoc::HangUpAtShutdown() {
    const FarmRecord& farm = CurrentFarm();
    if (!farm.m_bFarmIsConnected || farm.m_byConnectionType == CT_LOCAL) {
        return;
    }
    IssueDisconnect_1();
    if (m_pClock != nullptr) {
        m_pClock->WaitMilliseconds(1000);
    }
    IssueDisconnect_2();
}
