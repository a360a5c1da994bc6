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
    m_pPalette = new CPaletteSheet(m_document, ticket, m_list.StartupScanComplete(),
                                   record->m_byIdentificationCode,
                                   PaletteDisplayBlock::FromRecord(*record), m_pWindow);
    m_list.SetSheetSink(&m_pPalette->Page());
    if (RunModal(m_pPalette)) {
        m_list.SetSheetSink(nullptr);
    }
}

void SheetCommands::OpenAddKiln(int farmIndex) {
    if (farmIndex < 0 || farmIndex >= kFarmCount || m_pPalette != nullptr || m_pFarm != nullptr ||
        m_pAddKiln != nullptr) {
        return;
    }
    m_pAddKiln = new CAddKilnDialog(m_document, farmIndex, m_pWindow);
    RunModal(m_pAddKiln);
}

void SheetCommands::OpenFarmProperties(int farmIndex) {
    if (farmIndex < 0 || farmIndex >= kFarmCount || m_pPalette != nullptr ||
        m_pAddKiln != nullptr || m_pFarm != nullptr) {
        return;
    }
    m_pFarm =
        new CFarmPropertiesSheet(m_document, m_document.GetFarmParameters(farmIndex), m_pWindow);
    RunModal(m_pFarm);
}

bool SheetCommands::RunModal(QDialog* sheet) {
    // The sheets live on the heap, not on this stack: the program's end may take one down
    // while its exec() is still below, and a dialog that is gone ends its exec() at once.
    const QPointer<SheetCommands> alive(this);
    const QPointer<QDialog> running(sheet);
    sheet->exec();
    delete running.data();
    return !alive.isNull();
}

void SheetCommands::EndSheets() {
    // Whatever was not applied is dropped, as Cancel drops it; each sheet's own end (the alarm
    // station's query) runs while the document is still there.
    for (QDialog* sheet :
         {static_cast<QDialog*>(m_pPalette.data()), static_cast<QDialog*>(m_pAddKiln.data()),
          static_cast<QDialog*>(m_pFarm.data())}) {
        if (sheet != nullptr) {
            sheet->reject();
        }
    }
    if (m_pPalette != nullptr) {
        m_list.SetSheetSink(nullptr);
    }
    delete m_pPalette.data();
    delete m_pAddKiln.data();
    delete m_pFarm.data();
}
