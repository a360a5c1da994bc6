#pragma once

#include "kiln/AddKilnIds.h"

#include <QDialog>

class CSpinButton;
class CTreeListDoc;
class QLabel;
class QPushButton;

// The Add Kiln dialog: steps through the free Kiln IDs of one farm and adds units one by one
// through the document, which also tells the kiln list. It stays open until Cancel.
class CAddKilnDialog : public QDialog {
    Q_OBJECT

public:
    CAddKilnDialog(CTreeListDoc& document, int farmIndex, QWidget* parent = nullptr);

    // The spin control's step (steps > 0: the up arrow, to higher IDs) and the Add button.
    void OnSpin(int steps);
    void OnAdd();

    const AddKilnIds& Ids() const { return m_ids; }
    QLabel* IdDisplay() const { return m_pId; }
    CSpinButton* Spin() const { return m_pSpin; }
    QPushButton* AddButton() const { return m_pAdd; }
    QPushButton* CancelButton() const { return m_pCancel; }

signals:
    // A unit of the farm was created with this node index.
    void kilnAdded(int farmIndex, int nodeIndex);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Show();

    CTreeListDoc& m_document;
    int m_iFarmIndex;
    AddKilnIds m_ids;
    QLabel* m_pId = nullptr;
    CSpinButton* m_pSpin = nullptr;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pCancel = nullptr;
};
