#include "events/qt/EventHistoryDialog.h"

#include "app/LocalSeconds.h"
#include "app/StringTable.h"
#include "events/EventLine.h"
#include "events/qt/EventHistoryModel.h"
#include "widgets/UiText.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStringList>
#include <QTableView>
#include <QVBoxLayout>

#include <utility>

namespace {

// The journal's two-digit years span one century from 2000.
const QDate kFirstDate(2000, 1, 1);
const QDate kLastDate(2099, 12, 31);

// Equal keys fall back on the time and then on the journal's order, so that any column's
// order is complete and the descending one is exactly the ascending one reversed.
class HistorySortModel : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override {
        const int order = Compare(Key(left), Key(right));
        if (order != 0) {
            return order < 0;
        }
        const qlonglong leftTime = Key(left.siblingAtColumn(EventHistoryModel::Time)).toLongLong();
        const qlonglong rightTime =
            Key(right.siblingAtColumn(EventHistoryModel::Time)).toLongLong();
        if (leftTime != rightTime) {
            return leftTime < rightTime;
        }
        return left.row() < right.row();
    }

private:
    QVariant Key(const QModelIndex& index) const {
        return sourceModel()->data(index, EventHistoryModel::SortRole);
    }

    static int Compare(const QVariant& left, const QVariant& right) {
        if (left.typeId() == QMetaType::LongLong && right.typeId() == QMetaType::LongLong) {
            const qlonglong l = left.toLongLong();
            const qlonglong r = right.toLongLong();
            return l < r ? -1 : (r < l ? 1 : 0);
        }
        const QString l = left.toString();
        const QString r = right.toString();
        const int order = QString::localeAwareCompare(l, r);
        return order != 0 ? order : QString::compare(l, r);
    }
};

std::int64_t SecondsOf(const QDate& date, int hour, int minute, int second) {
    LocalDateTime when;
    when.year = date.year();
    when.month = date.month();
    when.day = date.day();
    when.hour = hour;
    when.minute = minute;
    when.second = second;
    return LocalSeconds(when);
}

QDate DateOf(std::int64_t localSeconds) {
    const LocalDateTime when = event_line::DateTimeOf(localSeconds);
    const QDate date(when.year, when.month, when.day);
    return date.isValid() ? date : kFirstDate;
}

QString Plain(QString label) {
    label.remove(QLatin1Char('&'));
    if (label.endsWith(QLatin1Char(':'))) {
        label.chop(1);
    }
    return label;
}

QString CsvField(const QString& text) {
    static const QString kSpecial = QStringLiteral(",\"\r\n");
    bool quote = false;
    for (const QChar c : text) {
        quote = quote || kSpecial.contains(c);
    }
    if (!quote) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// The model's rows as they are shown, the column titles first; CR LF as every text file of
// the program, and a byte order mark so that spreadsheets read the accents as UTF-8.
QByteArray TableCsv(const QAbstractItemModel& model) {
    QString text;
    QStringList fields;
    for (int column = 0; column < model.columnCount(); ++column) {
        fields << CsvField(model.headerData(column, Qt::Horizontal).toString());
    }
    text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (int row = 0; row < model.rowCount(); ++row) {
        fields.clear();
        for (int column = 0; column < model.columnCount(); ++column) {
            fields << CsvField(model.index(row, column).data().toString());
        }
        text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace

EventHistoryDialog::EventHistoryDialog(Language language, std::string directory, std::int64_t now,
                                       QWidget* parent)
    : QDialog(parent), m_language(language), m_directory(std::move(directory)) {
    setObjectName(QStringLiteral("eventHistoryDialog"));
    setWindowTitle(UiText(language, IDS_HISTORY_TITLE));

    auto* filters = new QGridLayout;
    auto addField = [&](QWidget* field, int labelId, int row, int column, const char* name) {
        const QString label = UiText(language, labelId);
        auto* caption = new QLabel(label, this);
        caption->setBuddy(field);
        field->setAccessibleName(Plain(label));
        field->setObjectName(QLatin1String(name));
        filters->addWidget(caption, row, column * 2);
        filters->addWidget(field, row, column * 2 + 1);
    };

    m_pFarm = new QComboBox(this);
    m_pFarm->addItem(UiText(language, IDS_HISTORY_ALL_FARMS), -1);
    for (int farm = 0; farm < 4; ++farm) {
        m_pFarm->addItem(UiText(language, IDS_HISTORY_FARM).arg(farm + 1), farm);
    }
    addField(m_pFarm, IDS_HISTORY_FARM_LABEL, 0, 0, "eventHistoryFarm");

    m_pUnit = new QSpinBox(this);
    m_pUnit->setRange(0, 254);
    m_pUnit->setSpecialValueText(UiText(language, IDS_HISTORY_ALL_UNITS));
    // The journal is read once the number is complete, not at each digit typed.
    m_pUnit->setKeyboardTracking(false);
    addField(m_pUnit, IDS_HISTORY_UNIT_LABEL, 0, 1, "eventHistoryUnit");

    m_pKind = new QComboBox(this);
    m_pKind->addItem(UiText(language, IDS_HISTORY_ALL_KINDS), -1);
    for (int kind = 0; kind < kEventKindCount; ++kind) {
        m_pKind->addItem(EventHistoryModel::KindLabel(language, static_cast<EventKind>(kind)),
                         kind);
    }
    addField(m_pKind, IDS_HISTORY_KIND_LABEL, 0, 2, "eventHistoryKind");

    const QDate today = DateOf(now);
    const QDate monthBefore = today.addMonths(-1);
    auto dateField = [&](const QDate& date) {
        auto* field = new QDateEdit(this);
        field->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        field->setDateRange(kFirstDate, kLastDate);
        field->setCalendarPopup(true);
        field->setKeyboardTracking(false);
        field->setDate(date);
        return field;
    };
    m_pFrom = dateField(QDate(monthBefore.year(), monthBefore.month(), 1));
    addField(m_pFrom, IDS_HISTORY_FROM_LABEL, 1, 0, "eventHistoryFrom");
    m_pTo = dateField(today);
    addField(m_pTo, IDS_HISTORY_TO_LABEL, 1, 1, "eventHistoryTo");
    filters->setColumnStretch(6, 1);

    m_pModel = new EventHistoryModel(language, this);
    m_pSorted = new HistorySortModel(this);
    m_pSorted->setSourceModel(m_pModel);
    m_pSorted->setSortRole(EventHistoryModel::SortRole);
    m_pSorted->setDynamicSortFilter(true);

    m_pTable = new QTableView(this);
    m_pTable->setObjectName(QStringLiteral("eventHistoryTable"));
    m_pTable->setAccessibleName(UiText(language, IDS_HISTORY_TABLE));
    m_pTable->setModel(m_pSorted);
    m_pTable->setSortingEnabled(true);
    // Newest first: what just happened is what the operator comes for.
    m_pTable->sortByColumn(EventHistoryModel::Time, Qt::DescendingOrder);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setWordWrap(false);
    m_pTable->verticalHeader()->hide();
    m_pTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_pTable->horizontalHeader()->setStretchLastSection(true);

    m_pNotes = new QLabel(this);
    m_pNotes->setObjectName(QStringLiteral("eventHistoryNotes"));
    m_pNotes->setTextFormat(Qt::PlainText);
    m_pNotes->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    m_pRefresh =
        buttons->addButton(UiText(language, IDS_HISTORY_REFRESH), QDialogButtonBox::ActionRole);
    m_pRefresh->setObjectName(QStringLiteral("eventHistoryRefresh"));
    m_pExport =
        buttons->addButton(UiText(language, IDS_HISTORY_EXPORT), QDialogButtonBox::ActionRole);
    m_pExport->setObjectName(QStringLiteral("eventHistoryExport"));
    QPushButton* close =
        buttons->addButton(UiText(language, IDS_HISTORY_CLOSE), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("eventHistoryClose"));
    // Enter in a field reads the journal again with it rather than closing the window.
    m_pRefresh->setDefault(true);
    connect(m_pRefresh, &QPushButton::clicked, this, &EventHistoryDialog::Refresh);
    connect(m_pExport, &QPushButton::clicked, this, &EventHistoryDialog::Export);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(m_pTable, 1);
    layout->addWidget(m_pNotes);
    layout->addWidget(buttons);
    resize(860, 480);

    Refresh();
    m_pTable->resizeColumnsToContents();
    connect(m_pFarm, &QComboBox::currentIndexChanged, this, &EventHistoryDialog::Refresh);
    connect(m_pUnit, &QSpinBox::valueChanged, this, &EventHistoryDialog::Refresh);
    connect(m_pKind, &QComboBox::currentIndexChanged, this, &EventHistoryDialog::Refresh);
    connect(m_pFrom, &QDateEdit::dateChanged, this, &EventHistoryDialog::Refresh);
    connect(m_pTo, &QDateEdit::dateChanged, this, &EventHistoryDialog::Refresh);
    m_pFarm->setFocus(Qt::OtherFocusReason);
}

EventHistoryDialog* EventHistoryDialog::Show(Language language, const std::string& directory,
                                             std::int64_t now, QWidget* parent) {
    static QPointer<EventHistoryDialog> open;
    if (open.isNull() || open->parentWidget() != parent) {
        open = new EventHistoryDialog(language, directory, now, parent);
        open->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        open->Refresh();
    }
    open->show();
    open->raise();
    open->activateWindow();
    return open.data();
}

EventFilter EventHistoryDialog::Filter() const {
    EventFilter filter;
    filter.farm = m_pFarm->currentData().toInt();
    filter.unit = m_pUnit->value();
    const int kind = m_pKind->currentData().toInt();
    if (kind >= 0 && kind < kEventKindCount) {
        filter.kind = static_cast<EventKind>(kind);
    }
    filter.from = SecondsOf(m_pFrom->date(), 0, 0, 0);
    filter.to = SecondsOf(m_pTo->date(), 23, 59, 59);
    return filter;
}

void EventHistoryDialog::Refresh() {
    // A folder that is not there yet holds no journal; that is not a file that failed.
    const QString folder = QString::fromStdString(m_directory);
    const bool journalFolder = QFileInfo(folder).isDir();
    JournalReading reading;
    if (journalFolder) {
        reading = ReadJournal(m_directory, Filter());
    }
    const auto shown = static_cast<qlonglong>(reading.events.size());
    m_pModel->SetEvents(std::move(reading.events));

    QStringList notes;
    notes << (shown == 1 ? UiText(m_language, IDS_HISTORY_SHOWN_ONE)
                         : UiText(m_language, IDS_HISTORY_SHOWN).arg(shown));
    if (reading.skippedLines == 1) {
        notes << UiText(m_language, IDS_HISTORY_SKIPPED_ONE);
    } else if (reading.skippedLines > 1) {
        notes << UiText(m_language, IDS_HISTORY_SKIPPED).arg(reading.skippedLines);
    }
    const auto unreadable = static_cast<qlonglong>(reading.problems.size());
    if (unreadable == 1) {
        notes << UiText(m_language, IDS_HISTORY_UNREADABLE_ONE);
    } else if (unreadable > 1) {
        notes << UiText(m_language, IDS_HISTORY_UNREADABLE).arg(unreadable);
    }
    if (!journalFolder) {
        notes << UiText(m_language, IDS_HISTORY_NO_JOURNAL).arg(QDir::toNativeSeparators(folder));
    }
    m_pNotes->setText(notes.join(QLatin1Char(' ')));
    // Which files, and why, for the one who has to mend them.
    QStringList problems;
    for (const std::string& problem : reading.problems) {
        problems << QString::fromStdString(problem);
    }
    m_pNotes->setToolTip(problems.join(QLatin1Char('\n')));
    m_pNotes->setAccessibleDescription(problems.join(QLatin1Char('\n')));
}

void EventHistoryDialog::Export() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) {
        folder = QDir::homePath();
    }
    auto* dialog =
        new QFileDialog(this, UiText(m_language, IDS_HISTORY_EXPORT_TITLE),
                        QDir(folder).filePath(UiText(m_language, IDS_HISTORY_EXPORT_NAME)),
                        UiText(m_language, IDS_HISTORY_EXPORT_FILTER));
    dialog->setObjectName(QStringLiteral("eventHistoryExportDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) {
        if (!path.isEmpty()) {
            ExportTo(path);
        }
    });
    // Window-modal and without a loop of its own: the program's end may take this window
    // down while the question is open.
    dialog->open();
}

bool EventHistoryDialog::ExportTo(const QString& path) {
    if (IsRecordInJournalFolder(path)) {
        ShowProblem(path, UiText(m_language, IDS_HISTORY_EXPORT_OVER_RECORD));
        return false;
    }
    // Written beside and renamed over at the end, so a failed write never leaves half a file
    // in place of the one that was there.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        ShowProblem(path, file.errorString());
        return false;
    }
    file.write(TableCsv(*m_pSorted));
    if (!file.commit()) {
        ShowProblem(path, file.errorString());
        return false;
    }
    return true;
}

bool EventHistoryDialog::IsRecordInJournalFolder(const QString& path) const {
    if (m_directory.empty()) {
        return false;
    }
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty()) {
        return false;
    }
    const QString journalFolder = QDir(QString::fromStdString(m_directory)).canonicalPath();
    return !journalFolder.isEmpty() && QFileInfo(target).absolutePath() == journalFolder;
}

void EventHistoryDialog::ShowProblem(const QString& path, const QString& reason) {
    auto* box = new QMessageBox(
        QMessageBox::Warning, UiText(m_language, IDS_HISTORY_TITLE),
        UiText(m_language, IDS_HISTORY_EXPORT_FAILED).arg(QDir::toNativeSeparators(path), reason),
        QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("eventHistoryProblem"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
