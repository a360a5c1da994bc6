#pragma once

// What the document tells the farm tree about connections. CTreeListView implements it.
class FarmTreeView {
public:
    virtual ~FarmTreeView() = default;
    virtual void NotifyOfConnection(int farmIndex) = 0;
    virtual void NotifyOfDisconnection(int farmIndex) = 0;
};
