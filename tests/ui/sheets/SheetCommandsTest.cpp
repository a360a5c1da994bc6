#include "sheets/SheetCommands.h"
#include "app/CTreeListDoc.h"
#include "config/qt/CFarmPropertiesSheet.h"
#include "kiln/KilnDecoding.h"
#include "kiln/qt/CAddKilnDialog.h"
#include "kiln/qt/CMyListView.h"
#include "kiln/qt/CTreeListView.h"
#include "net/Frames.h"
#include "sheets/CPalettePage.h"
#include "sheets/CPaletteSheet.h"
#include "sheets/CSpinButton.h"
#include "support/EngineFakes.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The views of the main window on a document whose farm 0 has unit 3.
struct Views : ::testing::Test {
    Views() {
        KilnRecord record;
        record.m_byIdentificationCode = 3;
        record.m_iCuringMethod = CM_AH;
        record.m_iOperationalMode = US_STANDBY;
        FarmRecord& farm = doc.Farm(0);
        farm.m_units[2] = record;
        farm.m_bNodeConfigured[2] = 1;
        farm.m_nUnitCount = 1;
        farm.m_iHighestConfiguredIndex = 2;
        doc.SetKilnListView(&list);
        list.nOTIFYoFtREEsELECTION(false, 0, farm.m_units);
    }
    ~Views() override { doc.SetKilnListView(nullptr); }

    // Runs what once the next modal sheet is open, then closes it.
    void WhileOpen(std::function<void()> what, int tries = 100) {
        QTimer::singleShot(0, &window, [this, what, tries] {
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (modal == nullptr) {
                if (tries > 0) {
                    WhileOpen(what, tries - 1);
                }
                return;
            }
            what();
            modal->reject();
        });
    }

    ScratchDirectory workDir;
    CTreeListDoc doc{Language::English, workDir.Path()};
    QWidget window;
    CMyListView list{doc};
    CTreeListView tree{doc, list};
    SheetCommands commands{doc, list, tree, &window};
};

} // namespace

TEST_F(Views, DoubleClickOpensTheSheetThatTheListFeedsUntilItCloses) {
    bool ran = false;
    WhileOpen([&] {
        ran = true;
        CPaletteSheet* sheet = commands.PaletteSheet();
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(list.SheetSink(), &sheet->Page());
        EXPECT_EQ(doc.Farm(0).m_iSelectedNode, 3) << "the unit is the selected one";
        EXPECT_EQ(sheet->Page().IdentificationValue()->text(), "003");

        KilnRecord running = *doc.Farm(0).Unit(2);
        running.m_iOperationalMode = US_RUN;
        list.NotifyOfData(0, 0, running, *doc.Farm(0).Unit(2), 3);
        EXPECT_EQ(sheet->Page().ModeBox()->text(), "RUN");

        sheet->Page().OnSpin();
        sheet->Page().OnApply();
        list.nOTIFYoFsTATUS(KVN_RPY_SUCCESS);
        EXPECT_FALSE(sheet->Page().ApplyButton()->isEnabled());
    });
    list.OpenItem(0);
    QApplication::processEvents(); // the queued request runs the sheet
    EXPECT_TRUE(ran);
    EXPECT_EQ(commands.PaletteSheet(), nullptr);
    EXPECT_EQ(list.SheetSink(), nullptr);
    EXPECT_EQ(doc.Farm(0).m_iSelectedNode, 0) << "closing clears the selection";
}

TEST_F(Views, SheetOfAUnitThatIsGoneDoesNotOpen) {
    commands.OpenPaletteSheet(0, 7);
    commands.OpenPaletteSheet(5, 2);
    EXPECT_EQ(list.SheetSink(), nullptr);
}

TEST_F(Views, NewKilnAndPropertiesOpenTheirDialogs) {
    bool addKiln = false;
    WhileOpen([&] { addKiln = commands.AddKilnDialog() != nullptr; });
    emit list.addKilnRequested(0);
    QApplication::processEvents();
    EXPECT_TRUE(addKiln);

    QString title;
    WhileOpen([&] {
        if (commands.FarmSheet() != nullptr) {
            title = commands.FarmSheet()->windowTitle();
        }
    });
    emit tree.propertiesRequested(2);
    QApplication::processEvents();
    EXPECT_EQ(title, "Group 3 Properties");
    EXPECT_EQ(commands.FarmSheet(), nullptr);
}

TEST_F(Views, SheetWaitsForItsUnitsReplyWhileTheCommitBaseIsAnotherUnits) {
    doc.SetImageFilled(true);
    doc.RecordImage()[0] = 9; // the last selected unit's reply
    bool lockedAtOpen = false;
    bool readyAfterReply = false;
    WhileOpen([&] {
        CPalettePage& page = commands.PaletteSheet()->Page();
        lockedAtOpen = !page.Spin()->isEnabled();
        const KilnRecord record = *doc.Farm(0).Unit(2);
        list.NotifyOfData(0, 0, record, record, 3);
        readyAfterReply = page.Spin()->isEnabled();
    });
    list.OpenItem(0);
    QApplication::processEvents();
    EXPECT_TRUE(lockedAtOpen);
    EXPECT_TRUE(readyAfterReply);

    doc.RecordImage()[0] = 3; // this unit's own reply is at hand
    bool readyAtOpen = false;
    WhileOpen([&] { readyAtOpen = commands.PaletteSheet()->Page().Spin()->isEnabled(); });
    list.OpenItem(0);
    QApplication::processEvents();
    EXPECT_TRUE(readyAtOpen);
}
