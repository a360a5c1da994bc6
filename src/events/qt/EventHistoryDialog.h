#pragma once

#include "app/Language.h"
#include "events/EventJournalReader.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <string>

class EventHistoryModel;
class QComboBox;
class QDate;
class QDateEdit;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;

// The events journal read back: filtered by farm, unit, kind and dates, sorted by any column,
// saved as CSV as shown. It reads the journal's files again at every change of the filter and
// at Refresh, so what it shows is what the files hold; nothing of it is kept in memory
// elsewhere. Non-modal; one per program (Show raises the open one and reads again).
class EventHistoryDialog : public QDialog {
    Q_OBJECT

public:
    // directory: the journal's folder. now: the document's local seconds; the dates start at
    // the first day of the month before it and end on its day.
    EventHistoryDialog(Language language, std::string directory, std::int64_t now,
                       QWidget* parent = nullptr);

    static EventHistoryDialog* Show(Language language, const std::string& directory,
                                    std::int64_t now, QWidget* parent);

    // What the filter's fields ask for.
    EventFilter Filter() const;
    // Writes the rows as the table shows them, in its order, with the column titles first.
    // A failure is told in a message and leaves any file of that name as it was.
    bool ExportTo(const QString& path);

    QComboBox& FarmField() { return *m_pFarm; }
    QSpinBox& UnitField() { return *m_pUnit; }
    QComboBox& KindField() { return *m_pKind; }
    QDateEdit& FromField() { return *m_pFrom; }
    QDateEdit& ToField() { return *m_pTo; }
    QTableView& Table() { return *m_pTable; }
    EventHistoryModel& Model() { return *m_pModel; }
    QSortFilterProxyModel& SortedModel() { return *m_pSorted; }
    QLabel& Notes() { return *m_pNotes; }
    QPushButton& RefreshButton() { return *m_pRefresh; }
    QPushButton& ExportButton() { return *m_pExport; }

public slots:
    // Reads the journal again with the filter's fields.
    void Refresh();
    // Asks where to save the shown rows (the file dialog confirms replacing a file).
    void Export();

private:
    void ShowProblem(const QString& path, const QString& reason);
    // True when path names a file of the journal's folder that is there already.
    bool IsRecordInJournalFolder(const QString& path) const;

    Language m_language;
    std::string m_directory;
    EventHistoryModel* m_pModel = nullptr;
    QSortFilterProxyModel* m_pSorted = nullptr;
    QComboBox* m_pFarm = nullptr;
    QSpinBox* m_pUnit = nullptr;
    QComboBox* m_pKind = nullptr;
    QDateEdit* m_pFrom = nullptr;
    QDateEdit* m_pTo = nullptr;
    QTableView* m_pTable = nullptr;
    QLabel* m_pNotes = nullptr;
    QPushButton* m_pRefresh = nullptr;
    QPushButton* m_pExport = nullptr;
};
