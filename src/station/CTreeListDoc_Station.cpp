// The alarm station's size query: while the connected farm's property sheet is open, every tick
// asks the station at node 255 how many bytes its stored log holds.

#include "app/CTreeListDoc.h"
#include "net/Frames.h"

void CTreeListDoc::ZRM_Query1_Query() {
    m_tx.m_iTransactionType = TT_ZRM_T1_PIO_O;
    m_tx.m_iNextTransactionType = TT_ZRM_T1_PIO_O;
    m_tx.m_iExpectedReplyBytes = kStationReplyLength;
}

void CTreeListDoc::ZRM_QueryN_Adjustment(bool /*dialogCancelled*/) {
    // Polling resumes with the unit the node queue holds next.
    m_tx.m_iTransactionType = TT_NONE;
    m_tx.m_iNextTransactionType = TT_KVN_T1_PIO_O;
}
