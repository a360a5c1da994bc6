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

// The views of the main window on a document whose farms 1 and 2 both have unit 3; farm 1 is
// on a direct line that the test connects, and the test answers for its units.
struct Views : ::testing::Test {
    Views() {
        ConfigureUnits(f.doc.Farm(0), {3});
        ConfigureUnits(f.doc.Farm(1), {3});
        f.doc.SetKilnListView(&list);
        list.nOTIFYoFtREEsELECTION(false, 0, f.doc.Farm(0).m_units);
    }
    ~Views() override { f.doc.SetKilnListView(nullptr); }

    void Connect() {
        f.doc.FarmConnect(0);
        for (int i = 0; i < 3; ++i) {
            f.doc.Timer1_Tick();
        }
    }
    // One tick, its scan answered by the unit in the mode given.
    void Answer(std::uint8_t mode = 0x3A) {
        const std::size_t before = f.port.writes.size();
        f.doc.Timer1_Tick();
        for (int target : f.ScanTargets(before)) {
            f.Reply(StatusReply(target, mode));
        }
    }
    std::size_t CommitsSent() const {
        std::size_t commits = 0;
        for (const auto& write : f.port.writes) {
            commits += write.bytes.size() == 60 && write.bytes[1] == 0x43 ? 1 : 0;
        }
        return commits;
    }

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

    EngineFixture f;
    CTreeListDoc& doc = f.doc;
    QWidget window;
    CMyListView list{doc};
    CTreeListView tree{doc, list};
    SheetCommands commands{doc, list, tree, &window};
};

} // namespace

TEST_F(Views, DoubleClickOpensTheSheetThatTheListFeedsUntilItCloses) {
    Connect();
    bool ran = false;
    WhileOpen([&] {
        ran = true;
        CPaletteSheet* sheet = commands.PaletteSheet();
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(list.SheetSink(), &sheet->Page());
        EXPECT_EQ(doc.Farm(0).m_iSelectedNode, 3) << "the unit is the selected one";
        EXPECT_EQ(sheet->Page().IdentificationValue()->text(), "003");
        EXPECT_FALSE(sheet->Page().Spin()->isEnabled()) << "no reply since it opened";
        EXPECT_EQ(sheet->Page().ReasonLabel()->text(), "No data from this unit");

        Answer(0xA3);
        EXPECT_EQ(sheet->Page().ModeBox()->text(), "RUN");
        EXPECT_TRUE(sheet->Page().Spin()->isEnabled());
        EXPECT_EQ(sheet->Page().ReasonLabel()->text(), "");

        sheet->Page().OnSpin();
        sheet->Page().OnApply();
        EXPECT_EQ(doc.NextTransactionType(), TT_KVN_T2_PIO_O);
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

TEST_F(Views, SheetOfTheSameUnitOnAFarmNotConnectedNeverSwitchesTheConnectedOne) {
    Connect();
    // Unit 3 of the connected farm seen through its sheet, then cancelled.
    WhileOpen([&] { Answer(); });
    list.OpenItem(0);
    QApplication::processEvents();

    // Group 2 picked in the tree, its unit 3 opened.
    list.nOTIFYoFtREEsELECTION(false, 1, doc.Farm(1).m_units);
    bool ran = false;
    WhileOpen([&] {
        ran = true;
        CPalettePage& page = commands.PaletteSheet()->Page();
        EXPECT_FALSE(page.Spin()->isEnabled());
        EXPECT_EQ(page.ReasonLabel()->text(), "Farm not connected");
        EXPECT_EQ(page.HeaterValue()->text(), "~") << "no values it does not have";
        for (int i = 0; i < 4; ++i) {
            Answer(); // farm 1's unit 3 keeps answering on the line
            page.OnSpin();
            page.OnApply();
            list.NotifyOfStartupScanStatus(true);
        }
        EXPECT_FALSE(page.Spin()->isEnabled());
    });
    list.OpenItem(0);
    QApplication::processEvents();
    EXPECT_TRUE(ran);
    Answer();
    Answer();
    EXPECT_EQ(CommitsSent(), 0u);
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

TEST_F(Views, SheetOutlivingItsConnectionLocksAgain) {
    Connect();
    bool lockedAfterDisconnect = false;
    WhileOpen([&] {
        CPalettePage& page = commands.PaletteSheet()->Page();
        Answer();
        ASSERT_TRUE(page.Spin()->isEnabled());
        page.OnSpin();
        doc.fARMdISCONNECT(0);
        page.OnApply();
        lockedAfterDisconnect = !page.ApplyButton()->isEnabled();
        EXPECT_EQ(page.ReasonLabel()->text(), "Farm not connected");
    });
    list.OpenItem(0);
    QApplication::processEvents();
    EXPECT_TRUE(lockedAfterDisconnect);
    EXPECT_EQ(CommitsSent(), 0u);
}
