#pragma once

#include "net/ScanPace.h"

#include <QWidget>

class CTreeListDoc;
class QComboBox;
class QLabel;
class QSpinBox;

// The farm's Scan page: whether its units are scanned at the tick (one query a second) or at
// the line's pace, and the line pace's guard time and reply margin. Apply and OK hand the
// values to the document, which writes to the hive only those the operator changed.
class CFP_ScanPage : public QWidget {
    Q_OBJECT

public:
    CFP_ScanPage(CTreeListDoc& document, int farmIndex, QWidget* parent = nullptr);

    // Writes the working values; false when the hive would not take them (they apply all the
    // same, and the page says so).
    bool OnApply();

    bool Modified() const { return m_working != m_stored; }
    const ScanPaceSettings& Working() const { return m_working; }
    QString Title() const;
    QString Message() const;

    QComboBox* PaceBox() const { return m_pPace; }
    QSpinBox* GuardSpin() const { return m_pGuard; }
    QSpinBox* MarginSpin() const { return m_pMargin; }
    QWidget* FirstField() const;

signals:
    void modifiedChanged(bool modified);

private:
    QString Text(int id) const;
    void ReadControls();

    CTreeListDoc& m_document;
    int m_iFarmIndex;
    ScanPaceSettings m_stored;
    ScanPaceSettings m_working;
    QComboBox* m_pPace = nullptr;
    QSpinBox* m_pGuard = nullptr;
    QSpinBox* m_pMargin = nullptr;
    QLabel* m_pMessage = nullptr;
};
