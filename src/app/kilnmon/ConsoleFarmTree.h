#pragma once

#include "kiln/FarmTreeView.h"

#include <cstdio>

class CTreeListDoc;
class KilnListView;

// The farm tree without a window: connection notices are printed ("farm Group 1 connected"),
// and a farm that connects is shown in the kiln list, as the tree shows it.
class ConsoleFarmTree : public FarmTreeView {
public:
    ConsoleFarmTree(CTreeListDoc& document, KilnListView& list, std::FILE* out)
        : m_document(document), m_list(list), m_pOut(out) {}

    void NotifyOfConnection(int farmIndex) override;
    void NotifyOfDisconnection(int farmIndex) override;

private:
    void Print(int farmIndex, const char* what) const;

    CTreeListDoc& m_document;
    KilnListView& m_list;
    std::FILE* m_pOut;
};
