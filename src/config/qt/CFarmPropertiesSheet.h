#pragma once

#include "config/FarmParameters.h"

#include <QDialog>

class CFP_GeneralPage;
class CFP_ScanPage;
class CTreeListDoc;
class QDialogButtonBox;
class QPushButton;
class QTabWidget;

// The farm property sheet ("Group %d Properties"): the General and Scan pages with OK, Cancel
// and Apply.
// Apply and OK write the page's values; Apply is enabled while they differ from the stored
// ones. Closing the sheet, however it is closed, ends the alarm station's size query that the
// page started for a connected farm, so unit polling resumes.
class CFarmPropertiesSheet : public QDialog {
    Q_OBJECT

public:
    CFarmPropertiesSheet(CTreeListDoc& document, const FarmParameters& parameters,
                         QWidget* parent = nullptr);

    CFP_GeneralPage& Page() { return *m_pPage; }
    CFP_ScanPage& ScanPage() { return *m_pScanPage; }
    QPushButton* OkButton() const;
    QPushButton* CancelButton() const;
    QPushButton* ApplyButton() const;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnApply();
    void OnOk();

    CTreeListDoc& m_document;
    CFP_GeneralPage* m_pPage = nullptr;
    CFP_ScanPage* m_pScanPage = nullptr;
    QTabWidget* m_pTabs = nullptr;
    QDialogButtonBox* m_pButtons = nullptr;
    bool m_bStationQueryEnded = false;
};
