#include "trend/qt/LineHealthWindow.h"

#include "app/CTreeListDoc.h"
#include "trend/qt/LineHealthModel.h"
#include "widgets/UiText.h"

#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

LineHealthWindow::LineHealthWindow(const CTreeListDoc& document, Language language, QWidget* parent)
    : QWidget(parent, Qt::Window), m_document(document), m_language(language) {
    setObjectName("lineHealthWindow");
    setWindowTitle(UiText(language, IDS_HEALTH_TITLE));
    setAttribute(Qt::WA_DeleteOnClose);

    m_model = new LineHealthModel(language, this);
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(LineHealthModel::SortRole);
    m_sorted->setDynamicSortFilter(true);

    m_summary = new QLabel(this);
    m_summary->setObjectName("lineHealthSummary");
    m_table = new QTableView(this);
    m_table->setObjectName("lineHealthTable");
    m_table->setAccessibleName(UiText(language, IDS_HEALTH_TABLE));
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(LineHealthModel::State, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_summary->setBuddy(m_table);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_table);
    resize(860, 420);

    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &LineHealthWindow::Refresh);
    m_timer.start();
    Refresh();
}

LineHealthWindow* LineHealthWindow::Show(const CTreeListDoc& document, Language language,
                                         QWidget* parent) {
    static QPointer<LineHealthWindow> open;
    if (open.isNull()) {
        open = new LineHealthWindow(document, language, parent);
    }
    open->show();
    open->raise();
    open->activateWindow();
    return open.data();
}

void LineHealthWindow::Refresh() {
    const LineHealth& health = m_document.Health();
    m_model->Refresh(health, m_document.LocalNow());
    int failing = 0;
    const auto units = health.Units();
    for (const auto& unit : units) {
        failing += unit.Failing() ? 1 : 0;
    }
    m_summary->setText(UiText(m_language, IDS_HEALTH_SUMMARY).arg(units.size()).arg(failing));
}
