// The line pace: on a farm that asks for it, scans and commits follow each other as fast as the
// line carries them, while the one-second tick keeps the connection stages, the logging cycle,
// the tone, the status time and the alarm station's size query.

#include "app/CTreeListDoc.h"

#include "app/Clock.h"

std::int64_t CTreeListDoc::LineMs() const {
    return m_pClock != nullptr ? m_pClock->MonotonicMilliseconds() : 0;
}

bool CTreeListDoc::LinePaced() const {
    const FarmRecord& farm = Farm(m_iCurrentFarm);
    return farm.m_scanPace.kind == ScanPaceKind::Line && farm.m_bFarmIsConnected != 0 &&
           m_link.m_nDisconnectStage == 0;
}

bool CTreeListDoc::TickPacesTransaction() const {
    if (!LinePaced()) {
        return true;
    }
    switch (m_tx.m_iTransactionType) {
    case TT_KVN_T1_PIO_O:
    case TT_KVN_T1_PIO_I:
    case TT_KVN_T2_PIO_O:
    case TT_KVN_T2_PIO_I:
        return false;
    default:
        return true;
    }
}

std::int64_t CTreeListDoc::LineStepDueMs() const {
    if (TickPacesTransaction()) {
        return -1;
    }
    const bool waiting =
        m_tx.m_iTransactionType == TT_KVN_T1_PIO_I || m_tx.m_iTransactionType == TT_KVN_T2_PIO_I;
    return waiting ? m_pace.DeadlineMs() : m_pace.ReadyAtMs();
}

void CTreeListDoc::LineStep() {
    const std::int64_t due = LineStepDueMs();
    const std::int64_t now = LineMs();
    if (due < 0 || now < due) {
        return;
    }
    const std::uint64_t framesBefore = m_pace.FramesSent();
    // An attempt whose reply did not come in time ends as the tick ends it, and the next
    // transaction goes out at once.
    if (m_tx.m_iTransactionType == TT_KVN_T1_PIO_I || m_tx.m_iTransactionType == TT_KVN_T2_PIO_I) {
        TimeOutStep();
    }
    AdvanceStep();
    if (m_pace.FramesSent() == framesBefore && !TickPacesTransaction()) {
        // An empty node queue: its status line comes once a second, as on the tick.
        m_pace.NothingSent(now);
    }
}

bool CTreeListDoc::SetFarmScanPace(int farmIndex, const ScanPaceSettings& settings) {
    if (farmIndex < 0 || farmIndex >= kFarmCount) {
        return false;
    }
    Farm(farmIndex).m_scanPace = settings.Bounded();
    if (farmIndex == m_iCurrentFarm) {
        m_pace.Configure(Farm(farmIndex).m_scanPace);
    }
    return true;
}

void CTreeListDoc::NoteLineSent(int requestBytes, int replyBytes) {
    m_pace.Configure(CurrentFarm().m_scanPace);
    m_pace.Sent(LineMs(), requestBytes, replyBytes);
}

void CTreeListDoc::NoteLineAnswered() {
    m_pace.Answered(LineMs());
    if (LinePaced() && m_lineWake) {
        m_lineWake();
    }
}
