#include "app/kilnmon/ConsoleFarmTree.h"

#include "app/CTreeListDoc.h"
#include "app/StringTable.h"
#include "kiln/KilnListView.h"

void ConsoleFarmTree::Print(int farmIndex, const char* what) const {
    const Language language = m_document.GetLanguage();
    const std::string& group =
        StringTable::Text(language, TextId(language, IDS_GROUP, IDS_GROUP_ES));
    std::fprintf(m_pOut, "farm %s %d %s\n", group.c_str(), farmIndex + 1, what);
    std::fflush(m_pOut);
}

void ConsoleFarmTree::NotifyOfConnection(int farmIndex) {
    if (farmIndex < 0 || farmIndex >= kFarmCount) {
        return;
    }
    Print(farmIndex, "connected");
    m_list.nOTIFYoFtREEsELECTION(false, farmIndex, m_document.Farm(farmIndex).m_units);
}

void ConsoleFarmTree::NotifyOfDisconnection(int farmIndex) {
    if (farmIndex < 0 || farmIndex >= kFarmCount) {
        return;
    }
    Print(farmIndex, "disconnected");
}
