// PC log cycles of the connected farm. The file writer comes with the PC log work; until then a
// cycle never becomes active, so no detail line is due.

#include "app/CTreeListDoc.h"

void CTreeListDoc::StartLogCycle(int /*farmIndex*/) {}

void CTreeListDoc::lOGdETAILlINE(bool /*force*/, int /*farmIndex*/, int /*nodeId*/) {}

void CTreeListDoc::EndConnectionLog(int /*farmIndex*/) {
    m_pclog.m_bLogCycleActive = false;
}
