#include "sheets/SheetCommands.h"

#include "app/CTreeListDoc.h"
#include "config/qt/CFarmPropertiesSheet.h"
#include "kiln/qt/CAddKilnDialog.h"
#include "kiln/qt/CMyListView.h"
#include "kiln/qt/CTreeListView.h"
#include "sheets/CPalettePage.h"
#include "sheets/CPaletteSheet.h"

SheetCommands::SheetCommands(CTreeListDoc& document, CMyListView& list, CTreeListView& tree,
                             QWidget* window)
    : QObject(window), m_document(document), m_list(list), m_pWindow(window) {
    // Queued: the view's own handling (its menu, its double click) ends before a sheet runs.
    connect(&list, &CMyListView::paletteSheetRequested, this, &SheetCommands::OpenPaletteSheet,
            Qt::QueuedConnection);
    connect(&list, &CMyListView::addKilnRequested, this, &SheetCommands::OpenAddKiln,
            Qt::QueuedConnection);
    connect(&tree, &CTreeListView::propertiesRequested, this, &SheetCommands::OpenFarmProperties,
            Qt::QueuedConnection);
}

CPaletteSheet* SheetCommands::PaletteSheet() const {
    return m_pPalette.data();
}

CAddKilnDialog* SheetCommands::AddKilnDialog() const {
    return m_pAddKiln.data();
}

CFarmPropertiesSheet* SheetCommands::FarmSheet() const {
    return m_pFarm.data();
}

void SheetCommands::OpenPaletteSheet(int farmIndex, int nodeIndex) {
    if (m_pPalette != nullptr || m_pAddKiln != nullptr || m_pFarm != nullptr) {
        return;
    }
    // Looked up again: the unit may have gone since the request. Opening makes it the farm's
    // selected unit, whose replies fill the image a commit is built on; the ticket lets the
    // sheet commit only from a reply of this unit, on this farm's connected line, that came
    // after it opened.
    const SheetTicket ticket = m_document.OpenSheetTicket(farmIndex, nodeIndex);
    if (ticket.farmIndex != farmIndex) {
        return;
    }
    const KilnRecord* record = m_document.Farm(farmIndex).Unit(nodeIndex);
    if (record == nullptr) {
        return;
    }
    CPaletteSheet sheet(m_document, ticket, m_list.StartupScanComplete(),
                        record->m_byIdentificationCode, PaletteDisplayBlock::FromRecord(*record),
                        m_pWindow);
    m_pPalette = &sheet;
    m_list.SetSheetSink(&sheet.Page());
    sheet.exec();
    m_list.SetSheetSink(nullptr);
    m_pPalette = nullptr;
}

void SheetCommands::OpenAddKiln(int farmIndex) {
    if (farmIndex < 0 || farmIndex >= kFarmCount || m_pPalette != nullptr || m_pFarm != nullptr ||
        m_pAddKiln != nullptr) {
        return;
    }
    CAddKilnDialog dialog(m_document, farmIndex, m_pWindow);
    m_pAddKiln = &dialog;
    dialog.exec();
    m_pAddKiln = nullptr;
}

void SheetCommands::OpenFarmProperties(int farmIndex) {
    if (farmIndex < 0 || farmIndex >= kFarmCount || m_pPalette != nullptr ||
        m_pAddKiln != nullptr || m_pFarm != nullptr) {
        return;
    }
    CFarmPropertiesSheet sheet(m_document, m_document.GetFarmParameters(farmIndex), m_pWindow);
    m_pFarm = &sheet;
    sheet.exec();
    m_pFarm = nullptr;
}
