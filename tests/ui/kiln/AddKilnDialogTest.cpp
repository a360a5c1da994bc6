#include "app/CTreeListDoc.h"
#include "kiln/qt/CAddKilnDialog.h"
#include "sheets/CSpinButton.h"
#include "support/EngineFakes.h"
#include "ui/sheets/DialogChecks.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct AddKiln : ::testing::Test {
    AddKiln() { doc.SetKilnListView(&list); }
    ~AddKiln() override { doc.SetKilnListView(nullptr); }

    // Every unit slot of farm 0 taken except the node IDs given.
    void TakeAllBut(std::initializer_list<int> freeIds) {
        FarmRecord& farm = doc.Farm(0);
        for (int index = 0; index < kUnitSlotCount; ++index) {
            farm.m_bNodeConfigured[static_cast<std::size_t>(index)] = 1;
        }
        for (const int id : freeIds) {
            farm.m_bNodeConfigured[static_cast<std::size_t>(id - 1)] = 0;
        }
    }

    ScratchDirectory workDir;
    CTreeListDoc doc{Language::English, workDir.Path()};
    RecordingListView list;
};

} // namespace

TEST_F(AddKiln, OnlyIdTwoHundredFiftyFourFreeIsAddedAndTheDialogEmpties) {
    TakeAllBut({254});
    CAddKilnDialog dialog(doc, 0);
    QSignalSpy added(&dialog, &CAddKilnDialog::kilnAdded);
    EXPECT_EQ(dialog.windowTitle(), "Add Kiln");
    EXPECT_EQ(dialog.IdDisplay()->text(), " 254");
    QTest::mouseClick(dialog.AddButton(), Qt::LeftButton);

    ASSERT_NE(doc.Farm(0).Unit(253), nullptr);
    EXPECT_EQ(added.count(), 1);
    ASSERT_EQ(list.data.size(), 1u) << "the list shows the new unit at once";
    EXPECT_EQ(list.data[0].nodeId, 254);
    EXPECT_EQ(dialog.IdDisplay()->text(), " ");
    EXPECT_FALSE(dialog.AddButton()->isEnabled());
    EXPECT_FALSE(dialog.Spin()->isEnabled());
}

TEST_F(AddKiln, StepsWrapBetweenFiveAndNine) {
    TakeAllBut({5, 9});
    CAddKilnDialog dialog(doc, 0);
    dialog.OnSpin(+1);
    EXPECT_EQ(dialog.IdDisplay()->text(), " 009");
    QTest::keyClick(dialog.Spin(), Qt::Key_Up);
    EXPECT_EQ(dialog.IdDisplay()->text(), " 005");
    dialog.OnSpin(+1);
    QTest::keyClick(dialog.Spin(), Qt::Key_Down);
    EXPECT_EQ(dialog.IdDisplay()->text(), " 005");
}

TEST_F(AddKiln, SingleFreeIdDoesNotStepAndEnterAddsIt) {
    TakeAllBut({40});
    CAddKilnDialog dialog(doc, 0);
    dialog.show();
    QApplication::processEvents();
    EXPECT_TRUE(uicheck::FocusIn(dialog, dialog.Spin()));
    QTest::keyClick(dialog.Spin(), Qt::Key_Up);
    EXPECT_EQ(dialog.IdDisplay()->text(), " 040");
    QTest::keyClick(dialog.Spin(), Qt::Key_Return);
    EXPECT_NE(doc.Farm(0).Unit(39), nullptr);
    EXPECT_TRUE(dialog.isVisible()) << "the dialog stays for the next unit";
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(AddKiln, IdTakenMeanwhileIsSkipped) {
    TakeAllBut({7, 8});
    CAddKilnDialog dialog(doc, 0);
    // Another way in added unit 7 after the dialog opened.
    ASSERT_TRUE(doc.AddKilnRecord(0, 6));
    dialog.OnAdd();
    EXPECT_EQ(dialog.IdDisplay()->text(), " 008");
    EXPECT_EQ(dialog.Ids().FreeCount(), 1);
}

TEST_F(AddKiln, SpanishTextsFit) {
    CTreeListDoc spanish(Language::Spanish, workDir.Path());
    CAddKilnDialog dialog(spanish, 1);
    EXPECT_EQ(dialog.windowTitle(), "Agregue el horno");
    EXPECT_EQ(dialog.AddButton()->text(), "Agregue");
    EXPECT_EQ(dialog.CancelButton()->text(), "Cancele");
    EXPECT_EQ(dialog.IdDisplay()->text(), " 001");
    EXPECT_EQ(dialog.Spin()->accessibleName(), "El ID del horno");
    uicheck::ExpectTextsFit(dialog);
    uicheck::ExpectNamedControls(dialog);
}
