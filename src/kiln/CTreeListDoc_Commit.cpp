// The commit list of the operating-mode change that the controller sheet sends, and the rule
// that a commit reaches only the unit whose own fresh reply it is built on.

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
    m_kiln.m_commitOrigin = m_kiln.m_imageOrigin;
    m_tx.m_iNextTransactionType = TT_KVN_T2_PIO_O;
}

LineConnection CTreeListDoc::LineNow() const {
    LineConnection line;
    const FarmRecord& farm = Farm(m_iCurrentFarm);
    if (farm.m_bFarmIsConnected != 0 && m_link.m_nDisconnectStage == 0) {
        line.connectedFarm = m_iCurrentFarm;
        line.connection = m_link.m_dwConnectionNumber;
    }
    return line;
}

SheetTicket CTreeListDoc::OpenSheetTicket(int farmIndex, int nodeIndex) {
    SheetTicket ticket;
    if (GetKilnRecord(farmIndex, nodeIndex) == nullptr) {
        return ticket;
    }
    ticket.farmIndex = farmIndex;
    ticket.nodeId = nodeIndex + 1;
    ticket.openedAfterReply = m_kiln.m_qwStatusReplies;
    return ticket;
}

CommitBlock CTreeListDoc::SheetCommitBlock(const SheetTicket& sheet) const {
    const CommitBlock block = ::SheetCommitBlock(sheet, m_kiln.m_imageOrigin, LineNow());
    if (block != CommitBlock::None) {
        return block;
    }
    // The unit must still be there, and still be the one whose replies fill the image.
    const FarmRecord& farm = Farm(sheet.farmIndex);
    if (farm.Unit(sheet.nodeId - 1) == nullptr || farm.m_iSelectedNode != sheet.nodeId) {
        return CommitBlock::NoDataFromUnit;
    }
    return CommitBlock::None;
}

bool CTreeListDoc::ApplyFromSheet(const SheetTicket& sheet, std::int32_t mode) {
    if (SheetCommitBlock(sheet) != CommitBlock::None) {
        return false;
    }
    Apply_3_1(mode);
    return true;
}
