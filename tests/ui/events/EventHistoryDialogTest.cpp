#include "events/qt/EventHistoryDialog.h"

#include "app/CTreeListDoc.h"
#include "app/LocalSeconds.h"
#include "app/qt/CMainFrame.h"
#include "events/EventJournal.h"
#include "events/qt/EventHistoryModel.h"
#include "support/EngineFakes.h"
#include "ui/sheets/DialogChecks.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

std::int64_t At(int year, int month, int day, int hour, int minute, int second) {
    LocalDateTime when;
    when.year = year;
    when.month = month;
    when.day = day;
    when.hour = hour;
    when.minute = minute;
    when.second = second;
    return LocalSeconds(when);
}

const std::int64_t kNow = At(2026, 12, 8, 15, 0, 0);

void Write(const QString& path, const QByteArray& text, bool append = false) {
    QFile file(path);
    ASSERT_TRUE(file.open(append ? QIODevice::Append : QIODevice::WriteOnly));
    ASSERT_EQ(file.write(text), text.size());
}

// Three months of a site's journal as the program leaves it: a crash tore a line in December
// (the next event started a fresh line), and the clock was set back once, so one line is out
// of the order of time.
void WriteJournal(const QString& folder) {
    const QByteArray header = "Date,Time,Farm,Unit,Event,Detail\r\n";
    Write(QDir(folder).filePath("Events_202610.CSV"),
          header + "10/15/26,07:00:00,3,40,unit-silent,\r\n");
    Write(QDir(folder).filePath("Events_202611.CSV"),
          header + "11/30/26,23:59:58,1,12,alarm-raised,High\r\n"
                   "11/30/26,23:59:59,,,program-ended,\r\n");
    Write(QDir(folder).filePath("Events_202612.CSV"),
          header + "12/01/26,00:00:05,,,program-started,\r\n"
                   "12/01/26,00:00:10,1,,farm-connected,\r\n"
                   "12/01/26,08:00:0\r\n"
                   "12/01/26,08:00:07,1,12,alarm-cleared,High\r\n"
                   "12/02/26,09:31:00,2,7,alarm-raised,Low\r\n"
                   "12/02/26,09:29:00,2,7,mode-changed,\"Run, by op@pc pid 42\"\r\n"
                   "12/08/26,10:00:00,1,12,charge-qualified,held 30 minutes\r\n");
}

struct HistoryFixture {
    explicit HistoryFixture(Language language = Language::English) {
        WriteJournal(folder.path());
        dialog = std::make_unique<EventHistoryDialog>(language, folder.path().toStdString(), kNow);
    }
    QTemporaryDir folder;
    std::unique_ptr<EventHistoryDialog> dialog;
};

QString Cell(EventHistoryDialog& dialog, int row, int column) {
    return dialog.SortedModel().index(row, column).data().toString();
}

QStringList Column(EventHistoryDialog& dialog, int column) {
    QStringList cells;
    for (int row = 0; row < dialog.SortedModel().rowCount(); ++row) {
        cells << Cell(dialog, row, column);
    }
    return cells;
}

void ClickHeader(QTableView& table, int column) {
    QHeaderView* header = table.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 4, header->height() / 2));
}

void ShowActive(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(EventHistory, OpensOnTheFarmFieldWithLastMonthAndThisOneNewestFirst) {
    HistoryFixture f;
    ShowActive(*f.dialog);
    EXPECT_TRUE(uicheck::FocusIn(*f.dialog, &f.dialog->FarmField()));
    EXPECT_EQ(f.dialog->FromField().date(), QDate(2026, 11, 1));
    EXPECT_EQ(f.dialog->ToField().date(), QDate(2026, 12, 8));
    EXPECT_EQ(Column(*f.dialog, EventHistoryModel::Time),
              QStringList({"2026-12-08 10:00:00", "2026-12-02 09:31:00", "2026-12-02 09:29:00",
                           "2026-12-01 08:00:07", "2026-12-01 00:00:10", "2026-12-01 00:00:05",
                           "2026-11-30 23:59:59", "2026-11-30 23:59:58"}));
    EXPECT_EQ(Cell(*f.dialog, 0, EventHistoryModel::Farm), "1");
    EXPECT_EQ(Cell(*f.dialog, 0, EventHistoryModel::Unit), "12");
    EXPECT_EQ(Cell(*f.dialog, 0, EventHistoryModel::Kind), "Charge qualified");
    EXPECT_EQ(Cell(*f.dialog, 0, EventHistoryModel::Detail), "held 30 minutes");
    // The program's own events name no farm or unit.
    EXPECT_EQ(Cell(*f.dialog, 6, EventHistoryModel::Farm), "");
    EXPECT_EQ(Cell(*f.dialog, 6, EventHistoryModel::Unit), "");
    EXPECT_EQ(Cell(*f.dialog, 2, EventHistoryModel::Detail), "Run, by op@pc pid 42");
    EXPECT_EQ(f.dialog->Notes().text(), "8 events shown. 1 line could not be read.");
}

TEST(EventHistory, FiltersByFarmUnitKindAndDates) {
    HistoryFixture f;
    EventHistoryDialog& d = *f.dialog;
    d.FarmField().setCurrentIndex(2);
    EXPECT_EQ(Column(d, EventHistoryModel::Farm), QStringList({"2", "2"}));
    // A torn line names no farm: it is told whatever the filter.
    EXPECT_EQ(d.Notes().text(), "2 events shown. 1 line could not be read.");

    d.FarmField().setCurrentIndex(0);
    d.UnitField().setValue(12);
    EXPECT_EQ(Column(d, EventHistoryModel::Kind),
              QStringList({"Charge qualified", "Alarm cleared", "Alarm raised"}));

    d.UnitField().setValue(0);
    EXPECT_EQ(d.UnitField().text(), "All units");
    d.KindField().setCurrentIndex(d.KindField().findData(static_cast<int>(EventKind::AlarmRaised)));
    EXPECT_EQ(Column(d, EventHistoryModel::Time),
              QStringList({"2026-12-02 09:31:00", "2026-11-30 23:59:58"}));

    // Each end of the range takes its whole day.
    d.KindField().setCurrentIndex(0);
    d.FromField().setDate(QDate(2026, 10, 15));
    d.ToField().setDate(QDate(2026, 11, 30));
    EXPECT_EQ(Column(d, EventHistoryModel::Time),
              QStringList({"2026-11-30 23:59:59", "2026-11-30 23:59:58", "2026-10-15 07:00:00"}));
    EXPECT_EQ(d.Notes().text(), "3 events shown.");

    d.FromField().setDate(QDate(2026, 12, 2));
    d.ToField().setDate(QDate(2026, 12, 1));
    EXPECT_EQ(d.SortedModel().rowCount(), 0);
    EXPECT_TRUE(d.Notes().text().startsWith("0 events shown.")) << d.Notes().text().toStdString();
}

TEST(EventHistory, ShowsWhatTheProgramsJournalWrote) {
    QTemporaryDir folder;
    {
        EventJournal journal(folder.path().toStdString());
        ASSERT_TRUE(journal.Append({At(2026, 11, 30, 23, 59, 59), 0, 3, EventKind::SensorFault,
                                    "core 2 \"999.9\", out of range"}));
        ASSERT_TRUE(journal.Append(
            {At(2026, 12, 1, 0, 0, 1), 3, 254, EventKind::AlarmAcknowledged, "High, op@pc pid 7"}));
    }
    EventHistoryDialog d(Language::English, folder.path().toStdString(), kNow);
    ASSERT_EQ(d.SortedModel().rowCount(), 2);
    EXPECT_EQ(Cell(d, 0, EventHistoryModel::Farm), "4");
    EXPECT_EQ(Cell(d, 0, EventHistoryModel::Kind), "Alarm acknowledged");
    EXPECT_EQ(Cell(d, 0, EventHistoryModel::Detail), "High, op@pc pid 7");
    EXPECT_EQ(Cell(d, 1, EventHistoryModel::Time), "2026-11-30 23:59:59");
    EXPECT_EQ(Cell(d, 1, EventHistoryModel::Detail), "core 2 \"999.9\", out of range");
}

// Before the first event is journaled there is no folder: that is said as such, not as a file
// that failed.
TEST(EventHistory, TellsOfAFolderWithoutAJournal) {
    QTemporaryDir folder;
    const QString missing = folder.filePath("PC_Logs");
    EventHistoryDialog d(Language::English, missing.toStdString(), kNow);
    EXPECT_EQ(d.SortedModel().rowCount(), 0);
    EXPECT_EQ(d.Notes().text(), "0 events shown. No events have been journaled in " +
                                    QDir::toNativeSeparators(missing) + ".");
    EXPECT_TRUE(d.Notes().toolTip().isEmpty());
}

TEST(EventHistory, SortsByTimeRatherThanByLineOrTextAndByAnyColumnClicked) {
    HistoryFixture f;
    EventHistoryDialog& d = *f.dialog;
    d.FromField().setDate(QDate(2026, 10, 1));
    ShowActive(d);

    ClickHeader(d.Table(), EventHistoryModel::Time);
    const QStringList ascending = Column(d, EventHistoryModel::Time);
    ASSERT_EQ(ascending.size(), 9);
    EXPECT_EQ(ascending.front(), "2026-10-15 07:00:00");
    EXPECT_EQ(ascending.back(), "2026-12-08 10:00:00");
    // The clock set back: the line written later sorts at its own earlier time.
    EXPECT_EQ(ascending.indexOf("2026-12-02 09:29:00") + 1,
              ascending.indexOf("2026-12-02 09:31:00"));
    for (int row = 1; row < d.SortedModel().rowCount(); ++row) {
        EXPECT_LT(d.SortedModel().index(row - 1, 0).data(EventHistoryModel::SortRole).toLongLong(),
                  d.SortedModel().index(row, 0).data(EventHistoryModel::SortRole).toLongLong());
    }

    // By unit: the events of no unit first, then by number (not "12" before "7"), each unit's
    // events in their order of time.
    ClickHeader(d.Table(), EventHistoryModel::Unit);
    EXPECT_EQ(Column(d, EventHistoryModel::Unit),
              QStringList({"", "", "", "7", "7", "12", "12", "12", "40"}));
    EXPECT_EQ(Cell(d, 3, EventHistoryModel::Time), "2026-12-02 09:29:00");
    EXPECT_EQ(Cell(d, 5, EventHistoryModel::Time), "2026-11-30 23:59:58");
    ClickHeader(d.Table(), EventHistoryModel::Unit);
    EXPECT_EQ(Column(d, EventHistoryModel::Unit),
              QStringList({"40", "12", "12", "12", "7", "7", "", "", ""}));

    // A refresh keeps the order the operator chose.
    d.RefreshButton().click();
    EXPECT_EQ(Cell(d, 0, EventHistoryModel::Unit), "40");
}

TEST(EventHistory, ExportsTheShownRowsAsCsvAndNeverOverAJournalFile) {
    HistoryFixture f;
    EventHistoryDialog& d = *f.dialog;
    d.FarmField().setCurrentIndex(2);
    QTemporaryDir out;
    const QString path = out.filePath("farm2.csv");
    ASSERT_TRUE(d.ExportTo(path));
    EXPECT_EQ(Read(path), QByteArray("\xEF\xBB\xBF"
                                     "Date and time,Farm,Unit,Event,Detail\r\n"
                                     "2026-12-02 09:31:00,2,7,Alarm raised,Low\r\n"
                                     "2026-12-02 09:29:00,2,7,Mode changed,"
                                     "\"Run, by op@pc pid 42\"\r\n"));
    EXPECT_EQ(d.findChild<QMessageBox*>(), nullptr);

    // A folder that is not there: told, and nothing written.
    const QString nowhere = out.filePath("missing/farm2.csv");
    EXPECT_FALSE(d.ExportTo(nowhere));
    auto* problem = d.findChild<QMessageBox*>("eventHistoryProblem");
    ASSERT_NE(problem, nullptr);
    EXPECT_TRUE(problem->isVisible());
    EXPECT_NE(problem->text().indexOf("could not be saved"), -1) << problem->text().toStdString();
    EXPECT_FALSE(QFile::exists(nowhere));
    problem->close();
    QApplication::processEvents();

    // The journal is the record: an export never replaces one of its files, whatever the name.
    const QString journal = f.folder.filePath("Events_202612.CSV");
    const QByteArray before = Read(journal);
    EXPECT_FALSE(d.ExportTo(journal));
    EXPECT_EQ(Read(journal), before);
    EXPECT_NE(d.findChild<QMessageBox*>("eventHistoryProblem"), nullptr);
}

TEST(EventHistory, ExportAsksForTheFileWithoutHoldingUpTheProgram) {
    HistoryFixture f;
    ShowActive(*f.dialog);
    f.dialog->ExportButton().click();
    auto* chooser = f.dialog->findChild<QFileDialog*>("eventHistoryExportDialog");
    ASSERT_NE(chooser, nullptr);
    EXPECT_TRUE(chooser->isVisible());
    EXPECT_EQ(chooser->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(chooser->testOption(QFileDialog::DontConfirmOverwrite));

    QTemporaryDir out;
    const QString path = out.filePath("history.csv");
    chooser->selectFile(path);
    static_cast<QDialog*>(chooser)->accept();
    QApplication::processEvents();
    const QByteArray written = Read(path);
    EXPECT_EQ(written.count("\r\n"), 9);
    EXPECT_TRUE(written.contains("2026-12-08 10:00:00,1,12,Charge qualified,held 30 minutes"));
}

TEST(EventHistory, EnterReadsTheJournalAgainAndEscapeCloses) {
    HistoryFixture f;
    EventHistoryDialog& d = *f.dialog;
    ShowActive(d);
    Write(f.folder.filePath("Events_202612.CSV"), "12/08/26,14:59:00,4,254,unit-silent,\r\n", true);
    QTest::keyClick(&d.FarmField(), Qt::Key_Return);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(Cell(d, 0, EventHistoryModel::Unit), "254");
    EXPECT_EQ(d.Notes().text(), "9 events shown. 1 line could not be read.");

    QTest::keyClick(&d.FarmField(), Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
}

TEST(EventHistory, NamesEveryControlAndCellForScreenReaders) {
    HistoryFixture f;
    EventHistoryDialog& d = *f.dialog;
    uicheck::ExpectTextsFit(d);
    ShowActive(d);
    uicheck::ExpectNamedControls(d);
    EXPECT_EQ(d.FarmField().accessibleName(), "Farm");
    EXPECT_EQ(d.UnitField().accessibleName(), "Unit");
    EXPECT_EQ(d.KindField().accessibleName(), "Event");
    EXPECT_EQ(d.FromField().accessibleName(), "From");
    EXPECT_EQ(d.ToField().accessibleName(), "To");
    EXPECT_EQ(d.Table().accessibleName(), "Events");
    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(&d.ExportButton());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(QAccessible::Name), "Export…");

    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&d.Table());
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->tableInterface(), nullptr);
    QAccessibleInterface* cell = table->tableInterface()->cellAt(0, EventHistoryModel::Kind);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), "Charge qualified");

    // The access keys of the window's labels and buttons are each their own.
    std::set<QChar> keys;
    int labelled = 0;
    for (QWidget* child : d.findChildren<QWidget*>()) {
        QString text = child->property("text").toString();
        const int amp = text.indexOf(QLatin1Char('&'));
        if ((qobject_cast<QLabel*>(child) || qobject_cast<QPushButton*>(child)) && amp >= 0) {
            ++labelled;
            EXPECT_TRUE(keys.insert(text.at(amp + 1).toLower()).second) << text.toStdString();
        }
    }
    EXPECT_EQ(labelled, 8);
}

TEST(EventHistory, SpeaksSpanishInTheSpanishProgram) {
    HistoryFixture f(Language::Spanish);
    EventHistoryDialog& d = *f.dialog;
    EXPECT_EQ(d.windowTitle(), "Historial de eventos");
    EXPECT_EQ(d.FarmField().accessibleName(), "Granja");
    EXPECT_EQ(d.FarmField().itemText(0), "Todas las granjas");
    EXPECT_EQ(d.FarmField().itemText(3), "Granja 3");
    EXPECT_EQ(d.UnitField().text(), "Todas las unidades");
    EXPECT_EQ(d.FromField().accessibleName(), "Desde");
    EXPECT_EQ(d.Model().headerData(0, Qt::Horizontal).toString(), "Fecha y hora");
    EXPECT_EQ(Cell(d, 0, EventHistoryModel::Kind), "Carga cualificada");
    EXPECT_EQ(d.Notes().text(), "8 eventos mostrados. 1 línea no se pudo leer.");
    EXPECT_EQ(d.RefreshButton().text(), "&Actualizar");
    // Every kind has a label of its own in each language.
    for (Language language : {Language::English, Language::Spanish}) {
        std::set<QString> labels;
        for (int kind = 0; kind < kEventKindCount; ++kind) {
            const QString label =
                EventHistoryModel::KindLabel(language, static_cast<EventKind>(kind));
            EXPECT_FALSE(label.isEmpty());
            labels.insert(label);
        }
        EXPECT_EQ(labels.size(), static_cast<std::size_t>(kEventKindCount));
    }
}

namespace {

class FixedClock : public Clock {
public:
    LocalDateTime Now() const override { return {2026, 12, 8, 15, 0, 0}; }
    void WaitMilliseconds(int) override {}
};

QMenu* ViewMenu(CMainFrame& frame) {
    const QList<QAction*> menus = frame.menuBar()->actions();
    return menus.size() > 1 ? menus[1]->menu() : nullptr;
}

} // namespace

TEST(EventHistory, OpensFromTheViewMenuOnThePcLogFolderWithItsOwnAccessKey) {
    for (Language language : {Language::English, Language::Spanish}) {
        ScratchDirectory work;
        CMainFrame::Seams seams;
        seams.clock = std::make_unique<FixedClock>();
        seams.speaker = std::make_unique<RecordingSpeaker>();
        CMainFrame frame(language, work.Path(), std::move(seams));
        frame.OnInitialUpdate();
        WriteJournal(QString::fromStdString(frame.Document().PcLogsDirectory()));

        QMenu* view = ViewMenu(frame);
        ASSERT_NE(view, nullptr);
        std::set<QChar> keys;
        QAction* item = nullptr;
        for (QAction* action : view->actions()) {
            const QString text = action->text();
            if (action->objectName() == "viewEventHistory") {
                item = action;
            }
            const int amp = text.indexOf(QLatin1Char('&'));
            if (!action->isSeparator()) {
                ASSERT_GE(amp, 0) << text.toStdString();
                EXPECT_TRUE(keys.insert(text.at(amp + 1).toLower()).second) << text.toStdString();
            }
        }
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text(),
                  language == Language::English ? "&Event History…" : "El &historial de eventos…");

        item->trigger();
        auto* dialog = frame.findChild<EventHistoryDialog*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->SortedModel().rowCount(), 8);
        // Once a program: the menu raises the open one.
        item->trigger();
        EXPECT_EQ(frame.findChildren<EventHistoryDialog*>().size(), 1);
    }
}
