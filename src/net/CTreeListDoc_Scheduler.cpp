// The one-second tick and the transaction it issues: one request on the line per tick, every
// configured unit asked in rotation, a silent unit asked seven times before the next is taken.

#include "app/CTreeListDoc.h"
#include "app/FrameServices.h"
#include "app/LocalSeconds.h"
#include "kiln/KilnListView.h"
#include "link/PortWriter.h"
#include "net/Frames.h"

#include <cstdio>

namespace {

constexpr std::int32_t kScanRetries = 6; // repeats after the first query: seven in all
constexpr std::int16_t kLogCycleTicks = 60;

} // namespace

std::string CTreeListDoc::ElapsedTimeText(std::uint16_t counter) {
    const unsigned seconds = counter % 60u;
    const unsigned minutesTotal = counter / 60u;
    const unsigned hoursTotal = minutesTotal / 60u;
    char text[32];
    std::snprintf(text, sizeof text, "%04u:%02u:%02u:%02u", hoursTotal / 24u, hoursTotal % 24u,
                  minutesTotal % 60u, seconds);
    return text;
}

void CTreeListDoc::SetStatus(const std::string& text) {
    if (m_pFrame != nullptr) {
        m_pFrame->SetStatusText(text);
    }
}

std::string CTreeListDoc::StatusSuffix() const {
    // Lines held for an open Log Descriptor prompt are not in a file yet.
    return (m_pclog.m_bPcLoggingEnabled && m_pclog.m_bLogCycleActive &&
            !m_pclog.m_bDescriptorPromptOpen)
               ? " [LOG]"
               : "";
}

void CTreeListDoc::Timer1_Tick() {
    const int farmIndex = m_iCurrentFarm;
    const bool connected = CurrentFarm().m_bFarmIsConnected != 0;

    RunDescriptorTimeout();
    if (connected) {
        // The first cycle starts three ticks after connecting, then one every sixty.
        ++m_tx.m_nLogTickCounter;
        if (m_tx.m_nLogTickCounter == 2 * kLogCycleTicks) {
            m_tx.m_nLogTickCounter = kLogCycleTicks;
        }
        if (m_tx.m_nLogTickCounter % kLogCycleTicks == 0 && m_pclog.m_bPcLoggingEnabled) {
            StartLogCycle(farmIndex);
        }
    }

    ShowConnectionNotices();

    if (m_link.m_byFarmToConnectOnStartup != 0) {
        const int startupFarm = m_link.m_byFarmToConnectOnStartup - 1;
        m_link.m_byFarmToConnectOnStartup = 0;
        // The operator may have connected a farm before this first tick: the one serial line
        // is theirs then, and the start-up farm is not connected over it.
        const bool lineTaken = connected || m_link.m_nConnectStage > 0;
        if (startupFarm >= 0 && startupFarm < kFarmCount && !lineTaken) {
            FarmConnect(startupFarm);
        }
    }

    if (!connected) {
        RunConnectStage();
        RunReconnectWait();
        return;
    }
    if (m_link.m_nDisconnectStage >= 1 && m_link.m_nDisconnectStage <= 6) {
        RunDisconnectStage();
        return;
    }
    if (CurrentFarm().m_nUnitCount > 0) {
        AnnunciateAlarms();
    }
    if (TickPacesTransaction()) {
        const bool settled = m_tx.m_iTransactionType == TT_KVN_T0_PIO_O_3;
        TimeOutStep();
        AdvanceStep();
        if (settled && LinePaced()) {
            // The first scan still goes out on the fourth tick after connecting: the units
            // have had the burst's end and a quiet line well before then.
            m_pace.NothingSent(LineMs());
        }
    } else if (m_tx.m_bStatusTimeShown) {
        // The line steps send the scans; the status time still counts seconds, one for each
        // second that showed a line, as at the tick.
        m_tx.m_bStatusTimeShown = false;
        ++m_tx.m_wStatusTime;
    }
}

std::int64_t CTreeListDoc::LocalNow() const {
    return m_pClock != nullptr ? LocalSeconds(m_pClock->Now()) : 0;
}

void CTreeListDoc::StartLineRecords() {
    const FarmRecord& farm = CurrentFarm();
    std::vector<int> nodes;
    for (int index = 0; index < kUnitSlotCount; ++index) {
        if (farm.m_bNodeConfigured[static_cast<std::size_t>(index)] != 0) {
            nodes.push_back(index + 1);
        }
    }
    m_health.Reset(nodes);
    m_trends.Reset(LocalNow());
    m_bAttemptRefused = false;
}

void CTreeListDoc::TimeOutStep() {
    FarmRecord& farm = CurrentFarm();
    switch (m_tx.m_iTransactionType) {
    case TT_KVN_T1_PIO_I: {
        const int nodeIndex = farm.m_iLastQueriedIndex;
        {
            // Bytes left over that never made a reply of the expected length were refused.
            const int asked = nodeIndex + 1;
            m_health.NoValidReply(asked);
            if (!m_bAttemptRefused && m_pPortWriter != nullptr &&
                m_pPortWriter->BytesWaiting() > 0) {
                m_health.Refused(asked);
            }
            if (m_tx.m_iRetryCountdown == 0) {
                m_health.GiveUp(asked);
                m_trends.NoteSilence(asked);
            }
        }
        KilnRecord* stored = farm.Unit(nodeIndex);
        if (stored == nullptr) {
            break;
        }
        const int nodeId = nodeIndex + 1;
        KilnRecord& scratch = ScratchRecord();
        scratch.m_byIdentificationCode = static_cast<std::uint8_t>(nodeId);
        scratch.m_iCuringMethod = 0;
        scratch.m_iAlarmStatus = 0;
        if (m_pListView != nullptr) {
            m_pListView->NotifyOfData(m_tx.m_iRetryCountdown, m_iCurrentFarm, scratch, *stored,
                                      nodeId);
        }
        if (m_pclog.m_bPcLoggingEnabled && m_pclog.m_bLogCycleActive) {
            lOGdETAILlINE(false, m_iCurrentFarm, nodeId);
        }
        stored->m_iCuringMethod = 0;
        stored->m_iAlarmStatus = 0;
        SetAlarmBit(nodeIndex, false);
        break;
    }
    case TT_KVN_T2_PIO_I:
        if (m_pListView != nullptr) {
            m_pListView->nOTIFYoFsTATUS(KVN_RPY_FAILURE);
        }
        break;
    default:
        break;
    }
}

void CTreeListDoc::AdvanceStep() {
    switch (m_tx.m_iTransactionType) {
    case TT_KVN_T0_PIO_O_1: {
        IssueConnectionBurst();
        StartLineRecords();
        FarmRecord& farm = CurrentFarm();
        // The rotation starts again at the lowest configured unit.
        farm.m_iRoundRobinIndex = farm.m_iHighestConfiguredIndex;
        m_tx.m_iTransactionType = m_tx.m_iNextTransactionType = TT_KVN_T0_PIO_O_2;
        break;
    }
    case TT_KVN_T0_PIO_O_2:
        m_tx.m_iTransactionType = m_tx.m_iNextTransactionType = TT_KVN_T0_PIO_O_3;
        break;
    case TT_KVN_T0_PIO_O_3:
        m_tx.m_iTransactionType = m_tx.m_iNextTransactionType = TT_KVN_T1_PIO_O;
        break;
    case TT_NONE:
        m_tx.m_iTransactionType = m_tx.m_iNextTransactionType;
        break;
    default:
        m_tx.m_iTransactionType = m_tx.m_iNextTransactionType;
        IssueCommitOrQuery();
        break;
    }
}

void CTreeListDoc::AdvanceRotation(FarmRecord& farm) {
    if (farm.m_nUnitCount < 2) {
        return;
    }
    const int highest = farm.m_iHighestConfiguredIndex;
    int index = farm.m_iRoundRobinIndex;
    // At most one full lap: the farm has at least two configured units, so one is found.
    for (int step = 0; step < kNodeFlagCount; ++step) {
        index = (index >= highest || index < 0) ? 0 : index + 1;
        if (index < kNodeFlagCount && farm.m_bNodeConfigured[static_cast<std::size_t>(index)]) {
            break;
        }
    }
    farm.m_iRoundRobinIndex = index;
}

void CTreeListDoc::IssueCommitOrQuery() {
    FarmRecord& farm = CurrentFarm();
    if (!farm.m_bFarmIsConnected) {
        return;
    }
    // The status time counts the lines shown, so it advances only when a line is shown.
    // At the line pace it counts the ticks instead, which are still seconds.
    const bool linePaced = LinePaced();
    const auto time = [this, linePaced] {
        m_tx.m_bStatusTimeShown = linePaced;
        return ElapsedTimeText(linePaced ? m_tx.m_wStatusTime : m_tx.m_wStatusTime++);
    };
    const std::string suffix = StatusSuffix();
    char text[128];

    switch (m_tx.m_iTransactionType) {
    case TT_KVN_T1_PIO_O: {
        if (farm.m_queue.IsEmpty()) {
            std::snprintf(text, sizeof text, "%s: TT_KVN_T1_PIO_O (%s)%s", time().c_str(), "KVN",
                          suffix.c_str());
            SetStatus(text);
            return;
        }
        if (m_tx.m_iRetryCountdown == 0) {
            m_tx.m_iRetryCountdown = kScanRetries;
            m_tx.m_iScanTarget = farm.m_queue.Delete();
            m_tx.m_iAttempt = 1;
        } else {
            --m_tx.m_iRetryCountdown;
            ++m_tx.m_iAttempt;
        }
        const int target = m_tx.m_iScanTarget;
        std::snprintf(text, sizeof text, "%s: TT_KVN_T1_PIO_O (%s.%03d.%d)%s", time().c_str(),
                      "KVN", target, m_tx.m_iAttempt, suffix.c_str());
        SetStatus(text);
        m_tx.m_iExpectedReplyBytes = kScanReplyLength;
        IssueQuery(QT_KVN_SCAN, target, kScanReplyLength);
        m_health.PollSent(target);
        m_bAttemptRefused = false;
        m_tx.m_iNextTransactionType = TT_KVN_T1_PIO_O;
        m_tx.m_iTransactionType = TT_KVN_T1_PIO_I;
        farm.m_iLastQueriedIndex = target - 1;
        if (target == farm.m_iStartupScanEnd) {
            farm.m_iStartupScanEnd = 0;
            m_tx.m_bStartupScanComplete = true;
        }
        if (farm.m_queue.IsEmpty()) {
            AdvanceRotation(farm);
            farm.m_queue.Add(farm.m_iRoundRobinIndex + 1);
        }
        break;
    }
    case TT_KVN_T2_PIO_O:
        // The image may have stopped being the unit's since the commit was queued (the farm
        // disconnected, another unit selected): such a commit is given up unsent, as one the
        // unit never answered, and the scan goes on in this same tick.
        if (!CommitStillSendable(m_kiln.m_commitOrigin, m_kiln.m_imageOrigin, LineNow()) ||
            farm.Unit(m_kiln.m_commitOrigin.nodeId - 1) == nullptr) {
            m_kiln.m_commitOrigin = {};
            if (m_pListView != nullptr) {
                m_pListView->nOTIFYoFsTATUS(KVN_RPY_FAILURE);
            }
            m_tx.m_iTransactionType = m_tx.m_iNextTransactionType = TT_KVN_T1_PIO_O;
            IssueCommitOrQuery();
            return;
        }
        m_kiln.m_lastCommitSent = {m_kiln.m_commitOrigin, LocalNow()};
        m_kiln.m_commitOrigin = {};
        std::snprintf(text, sizeof text, "%s: TT_KVN_T2_PIO_O (%s)%s", time().c_str(), "KVN",
                      suffix.c_str());
        SetStatus(text);
        m_tx.m_iExpectedReplyBytes = kCommitReplyLength;
        IssueCommit(kCommitReplyLength);
        m_tx.m_iNextTransactionType = TT_KVN_T1_PIO_O;
        m_tx.m_iTransactionType = TT_KVN_T2_PIO_I;
        break;
    case TT_ZRM_T1_PIO_O:
        std::snprintf(text, sizeof text, "%s: TT_ZRM_T1_PIO_O (%s)%s", time().c_str(), "General",
                      suffix.c_str());
        SetStatus(text);
        m_tx.m_iExpectedReplyBytes = kStationReplyLength;
        IssueQuery(QT_ZRM_QUERY1, m_tx.m_iZrmNodeId, kStationReplyLength);
        m_tx.m_iNextTransactionType = TT_ZRM_T1_PIO_O;
        m_tx.m_iTransactionType = TT_ZRM_T1_PIO_I;
        m_station.m_iQuery1State = 2;
        m_station.m_dwQuery1ByteCount = 0;
        break;
    default:
        break;
    }
}
