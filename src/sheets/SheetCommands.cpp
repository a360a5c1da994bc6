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
    // Looked up again: the unit may have gone since the request, and the lookup makes it the
    // farm's selected unit, whose replies the commit is built on.
    const KilnRecord* record = m_document.GetKilnRecord(farmIndex, nodeIndex);
    if (record == nullptr) {
        return;
    }
    // The commit goes out as the selected unit's last reply with the new mode in it. Until a
    // reply of this unit is at hand (the image may hold the unit selected before, and would
    // switch that one), the page waits for the unit's next reply.
    const bool imageIsThisUnits =
        m_document.ImageFilled() &&
        m_document.RecordImage()[0] == static_cast<unsigned>(nodeIndex + 1);
    CPaletteSheet sheet(m_document, m_list.StartupScanComplete() && imageIsThisUnits,
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
