// The up-down arrows as a screen reader works them: its Increase and Decrease must do what the
// arrows do, for the controller sheet's mode switch and for every other user of the control.

#include "app/CTreeListDoc.h"
#include "kiln/KilnDecoding.h"
#include "kiln/qt/CAddKilnDialog.h"
#include "sheets/CPalettePage.h"
#include "sheets/CPaletteSheet.h"
#include "sheets/CSpinButton.h"
#include "support/EngineFakes.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

QAccessibleActionInterface* Actions(CSpinButton* spin) {
    QAccessibleInterface* control = QAccessible::queryAccessibleInterface(spin);
    return control != nullptr ? control->actionInterface() : nullptr;
}

const QString kIncrease = QAccessibleActionInterface::increaseAction();
const QString kDecrease = QAccessibleActionInterface::decreaseAction();

} // namespace

TEST(SpinButtonAccessibility, IncreaseAndDecreaseStepAsTheArrowsAndOnlyWhileEnabled) {
    CSpinButton spin;
    spin.setAccessibleName(QStringLiteral("Kiln ID"));
    QSignalSpy stepped(&spin, &CSpinButton::stepped);
    QAccessibleActionInterface* actions = Actions(&spin);
    ASSERT_NE(actions, nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&spin)->role(), QAccessible::SpinBox);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&spin)->text(QAccessible::Name), "Kiln ID");
    // No value either: a reader's own steps would change that value, which nothing reads.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&spin)->valueInterface(), nullptr);
    ASSERT_TRUE(actions->actionNames().contains(kIncrease));
    ASSERT_TRUE(actions->actionNames().contains(kDecrease));

    actions->doAction(kIncrease);
    actions->doAction(kDecrease);
    actions->doAction(kIncrease);
    ASSERT_EQ(stepped.count(), 3);
    EXPECT_EQ(stepped[0][0].toInt(), 1) << "Increase is the up arrow";
    EXPECT_EQ(stepped[1][0].toInt(), -1) << "Decrease is the down arrow";

    // A locked control offers no step, and one asked for anyway does nothing.
    spin.setEnabled(false);
    EXPECT_FALSE(actions->actionNames().contains(kIncrease));
    EXPECT_FALSE(actions->actionNames().contains(kDecrease));
    actions->doAction(kIncrease);
    EXPECT_EQ(stepped.count(), 3);
}

TEST(SpinButtonAccessibility, AScreenReaderSwitchesAUnitBetweenStandbyAndRun) {
    // Unit 12 of a connected farm, answering once its sheet is open.
    EngineFixture f;
    CTreeListDoc& doc = f.doc;
    ConfigureUnits(doc.Farm(0), {12});
    doc.FarmConnect(0);
    for (int i = 0; i < 3; ++i) {
        doc.Timer1_Tick();
    }
    const SheetTicket ticket = doc.OpenSheetTicket(0, 11);
    doc.Timer1_Tick();
    f.Reply(StatusReply(12, 0x3A));
    PaletteDisplayBlock block;
    block.m_iCuringMethod = CM_DT;
    block.m_iOperationalMode = US_STANDBY;
    CPaletteSheet sheet(doc, ticket, true, 12, block);
    CPalettePage& page = sheet.Page();
    QAccessibleActionInterface* actions = Actions(page.Spin());
    ASSERT_NE(actions, nullptr);

    actions->doAction(kIncrease);
    EXPECT_EQ(page.ModeBox()->text(), "RUN");
    EXPECT_TRUE(page.ApplyButton()->isEnabled());
    actions->doAction(kDecrease);
    EXPECT_EQ(page.ModeBox()->text(), "STANDBY");
    EXPECT_FALSE(page.ApplyButton()->isEnabled()) << "back at the unit's own mode";

    // A unit in Setup cannot be switched: the reader is offered nothing.
    block.m_iOperationalMode = US_SETUP;
    CPaletteSheet setup(doc, ticket, true, 12, block);
    EXPECT_FALSE(Actions(setup.Page().Spin())->actionNames().contains(kIncrease));
}

TEST(SpinButtonAccessibility, AScreenReaderStepsThroughTheFreeKilnIds) {
    ScratchDirectory workDir;
    CTreeListDoc doc{Language::English, workDir.Path()};
    CAddKilnDialog dialog(doc, 0);
    const QString first = dialog.IdDisplay()->text();
    QAccessibleActionInterface* actions = Actions(dialog.Spin());
    ASSERT_NE(actions, nullptr);
    actions->doAction(kIncrease);
    EXPECT_NE(dialog.IdDisplay()->text(), first);
    actions->doAction(kDecrease);
    EXPECT_EQ(dialog.IdDisplay()->text(), first);
}
