#pragma once

#include "app/Language.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class CTreeListDoc;
class LineHealthModel;
class QLabel;
class QSortFilterProxyModel;
class QTableView;

// The Line Health window: a table of the connected farm's units, failing units first, brought
// up to date every second. Non-modal; one per program (Show raises the open one).
class LineHealthWindow : public QWidget {
    Q_OBJECT

public:
    LineHealthWindow(const CTreeListDoc& document, Language language, QWidget* parent = nullptr);

    // Opens the program's Line Health window, or raises it when it is open already.
    static LineHealthWindow* Show(const CTreeListDoc& document, Language language, QWidget* parent);

    LineHealthModel& Model() { return *m_model; }
    QSortFilterProxyModel& SortedModel() { return *m_sorted; }
    QTableView& Table() { return *m_table; }

public slots:
    void Refresh();

private:
    const CTreeListDoc& m_document;
    Language m_language;
    LineHealthModel* m_model = nullptr;
    QSortFilterProxyModel* m_sorted = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_summary = nullptr;
    QTimer m_timer;
};
