#pragma once

#include <QObject>
#include <QPointer>

class CAddKilnDialog;
class CFarmPropertiesSheet;
class CMyListView;
class CPaletteSheet;
class CTreeListDoc;
class CTreeListView;
class QWidget;

// Opens the sheets and dialogs the views ask for: a unit's controller sheet (Operate or a
// double click in the kiln list), the Add Kiln dialog (New > Kiln) and a farm's property sheet
// (the tree's Properties). Each runs modally; the tick and the serial events go on under it.
// While the controller sheet is open the kiln list hands it the unit's news; when it closes
// the list forgets it and the document's selected unit is cleared.
class SheetCommands : public QObject {
    Q_OBJECT

public:
    // window: the parent of the sheets. Connects the views' requests; every reference must
    // outlive this object.
    SheetCommands(CTreeListDoc& document, CMyListView& list, CTreeListView& tree, QWidget* window);

    void OpenPaletteSheet(int farmIndex, int nodeIndex);
    void OpenAddKiln(int farmIndex);
    void OpenFarmProperties(int farmIndex);

    // The sheet or dialog running now, or nullptr.
    CPaletteSheet* PaletteSheet() const;
    CAddKilnDialog* AddKilnDialog() const;
    CFarmPropertiesSheet* FarmSheet() const;

private:
    CTreeListDoc& m_document;
    CMyListView& m_list;
    QWidget* m_pWindow;
    QPointer<CPaletteSheet> m_pPalette;
    QPointer<CAddKilnDialog> m_pAddKiln;
    QPointer<CFarmPropertiesSheet> m_pFarm;
};
