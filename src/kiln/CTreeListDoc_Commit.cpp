// The commit list of the operating-mode change that the controller sheet sends.

#include "app/CTreeListDoc.h"

void CTreeListDoc::Apply_3_1(std::int32_t mode) {
    // Entry 0 always names the mode byte, so a mode without a command commits the image as
    // it stands.
    m_commit.m_byOffsets[0] = kOffsetMode;
    m_commit.m_byValues[0] = m_kiln.m_byRecordImage[kOffsetMode];
    m_commit.m_nCount = 1;

    if (mode == US_STANDBY || mode == US_RUN) {
        m_commit.m_byValues[0] = mode == US_RUN ? KVN_MODE_RUN : KVN_MODE_STANDBY;
        // Hours word: cleared for Standby; a run starts at 0.6 hours.
        m_commit.m_byOffsets[1] = kOffsetHoursHigh;
        m_commit.m_byValues[1] = 0;
        m_commit.m_byOffsets[2] = kOffsetHoursLow;
        m_commit.m_byValues[2] = mode == US_RUN ? 6 : 0;
        m_commit.m_nCount = 3;
    }
    m_tx.m_iNextTransactionType = TT_KVN_T2_PIO_O;
}
