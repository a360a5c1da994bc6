#include "app/CTreeListDoc.h"
#include "kiln/KilnDecoding.h"
#include "net/Frames.h"
#include "net/TransactionType.h"
#include "sheets/CPalettePage.h"
#include "sheets/CPaletteSheet.h"
#include "sheets/CSpinButton.h"
#include "support/EngineFakes.h"
#include "ui/sheets/DialogChecks.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

PaletteDisplayBlock Block(std::int32_t mode, float hours = 1.0f, std::int16_t raw = 1640) {
    PaletteDisplayBlock block;
    block.m_iCuringMethod = CM_DT;
    block.m_iOperationalMode = mode;
    block.m_fHours = hours;
    block.m_nRtd = {raw, raw, raw, raw};
    return block;
}

// Sheets of unit 12 on a connected farm whose unit answers once each sheet is open, so the
// page may commit as soon as it opens.
struct PaletteSheet : ::testing::Test {
    PaletteSheet() {
        ConfigureUnits(doc.Farm(0), {12});
        doc.FarmConnect(0);
        for (int i = 0; i < 3; ++i) {
            doc.Timer1_Tick();
        }
    }
    std::unique_ptr<CPaletteSheet> Open(const PaletteDisplayBlock& block,
                                        bool startupScanComplete = true) {
        const SheetTicket ticket = doc.OpenSheetTicket(0, 11);
        doc.Timer1_Tick();
        engine.Reply(StatusReply(12));
        return std::make_unique<CPaletteSheet>(doc, ticket, startupScanComplete, 12, block);
    }
    static QString Text(QLabel* label) { return label->text(); }

    EngineFixture engine;
    CTreeListDoc& doc = engine.doc;
    ScratchDirectory& workDir = engine.workDir;
};

} // namespace

TEST_F(PaletteSheet, FirstSheetOfTheRunIsLockedUntilItsUnitsFirstReply) {
    auto sheet = Open(Block(US_RUN), false);
    CPalettePage& page = sheet->Page();
    EXPECT_FALSE(page.Spin()->isEnabled());
    EXPECT_FALSE(page.ApplyButton()->isEnabled());
    page.UpdateDynamic(Block(US_RUN));
    EXPECT_TRUE(page.Spin()->isEnabled());
    EXPECT_EQ(page.ModeBox()->text(), "RUN");
}

TEST_F(PaletteSheet, SetupOpensWithSetupNotApplicableHoursAndTheSpinDisabled) {
    auto sheet = Open(Block(US_SETUP, 3.0f));
    CPalettePage& page = sheet->Page();
    EXPECT_EQ(page.ModeBox()->text(), "SETUP");
    EXPECT_EQ(page.HoursValue()->text(), "N/A");
    EXPECT_FALSE(page.Spin()->isEnabled());
    EXPECT_EQ(page.IdentificationValue()->text(), "012");
}

TEST_F(PaletteSheet, TwoSpinStepsReturnToTheUnitsModeAndDisableApply) {
    auto sheet = Open(Block(US_STANDBY));
    CPalettePage& page = sheet->Page();
    QTest::keyClick(page.Spin(), Qt::Key_Up);
    EXPECT_EQ(page.ModeBox()->text(), "RUN");
    EXPECT_TRUE(page.ApplyButton()->isEnabled());
    QTest::keyClick(page.Spin(), Qt::Key_Down);
    EXPECT_EQ(page.ModeBox()->text(), "STANDBY");
    EXPECT_FALSE(page.ApplyButton()->isEnabled());
}

TEST_F(PaletteSheet, ApplyCommitsTheShownModeUntilTheUnitConfirms) {
    auto sheet = Open(Block(US_STANDBY));
    sheet->show();
    CPalettePage& page = sheet->Page();
    page.OnSpin();
    // A status that already shows the chosen mode keeps the edit.
    page.UpdateDynamic(Block(US_RUN));
    EXPECT_TRUE(page.ApplyButton()->isEnabled());

    QTest::mouseClick(page.ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(doc.NextTransactionType(), TT_KVN_T2_PIO_O);
    EXPECT_EQ(doc.Commits().m_byValues[0], KVN_MODE_RUN);
    EXPECT_TRUE(page.ApplyButton()->isEnabled()) << "sent, not yet confirmed";
    EXPECT_EQ(page.ReasonLabel()->text(), "Sent — waiting for unit 012");

    page.nOTIFYoFsTATUS('F');
    EXPECT_TRUE(page.ApplyButton()->isEnabled());
    EXPECT_EQ(page.ReasonLabel()->text(), "No answer from unit 012: not changed");
    page.nOTIFYoFsTATUS(KVN_RPY_SUCCESS);
    EXPECT_FALSE(page.ApplyButton()->isEnabled());
    EXPECT_EQ(page.ModeBox()->text(), "RUN");
    EXPECT_EQ(page.ReasonLabel()->text(), "Unit 012 took RUN");
}

TEST_F(PaletteSheet, SuccessWithoutApplyChangesNothing) {
    auto sheet = Open(Block(US_STANDBY));
    CPalettePage& page = sheet->Page();
    page.OnSpin();
    page.nOTIFYoFsTATUS(KVN_RPY_SUCCESS);
    EXPECT_TRUE(page.ApplyButton()->isEnabled());
    EXPECT_NE(doc.NextTransactionType(), TT_KVN_T2_PIO_O);
}

TEST_F(PaletteSheet, ValuesFollowTheUnitsAndItsScale) {
    auto sheet = Open(Block(US_RUN, -1.5f, 4240));
    CPalettePage& page = sheet->Page();
    EXPECT_EQ(page.HoursValue()->text(), "- 1.5");
    EXPECT_EQ(page.TemperatureValue(0)->text(), "212");

    PaletteDisplayBlock centigrade = Block(US_RUN, -1.5f, 4240);
    centigrade.m_bCentigrade = 1;
    centigrade.m_nRtd[3] = 4241;
    page.UpdateDynamic(centigrade);
    EXPECT_EQ(page.TemperatureCaption(0)->text(), "Core Temperature 1 (°C):");
    EXPECT_EQ(page.TemperatureCaption(3)->text(), "Chamber Temperature (°C):");
    EXPECT_EQ(page.TemperatureValue(1)->text(), "100");
    EXPECT_EQ(page.TemperatureValue(3)->text(), "***");
    EXPECT_EQ(page.TemperatureValue(0)->accessibleName(), "Core Temperature 1 (°C)");
}

TEST_F(PaletteSheet, DataLossShowsTildesAndTheReturnShowsEveryField) {
    auto sheet = Open(Block(US_RUN, 2.0f));
    CPalettePage& page = sheet->Page();
    page.UpdateDynamic(PaletteDisplayBlock{});
    EXPECT_EQ(page.HeaterValue()->text(), "~");
    EXPECT_EQ(page.TemperatureValue(2)->text(), "~");
    EXPECT_EQ(page.ModeBox()->text(), "~");
    EXPECT_FALSE(page.Spin()->isEnabled());

    page.UpdateDynamic(Block(US_RUN, 2.0f));
    EXPECT_EQ(page.HeaterValue()->text(), "Off");
    EXPECT_EQ(page.HoursValue()->text(), "2.0");
    EXPECT_EQ(page.TemperatureValue(2)->text(), "82");
    EXPECT_EQ(page.ModeBox()->text(), "RUN");
    EXPECT_TRUE(page.Spin()->isEnabled());
}

TEST_F(PaletteSheet, ModeBoxIsGreenOnBlack) {
    auto sheet = Open(Block(US_RUN));
    const QPalette palette = sheet->Page().ModeBox()->palette();
    EXPECT_EQ(palette.color(QPalette::Base), QColor(Qt::black));
    EXPECT_EQ(palette.color(QPalette::Text), QColor(0, 255, 0));
}

TEST_F(PaletteSheet, KeyboardOpensOnTheSpinAndEnterOrEscapeCloses) {
    auto sheet = Open(Block(US_STANDBY));
    sheet->show();
    QApplication::processEvents();
    EXPECT_TRUE(uicheck::FocusIn(*sheet, sheet->Page().Spin()));
    EXPECT_EQ(uicheck::NextTabStop(sheet->Page().Spin()), sheet->Page().ApplyButton());
    QTest::keyClick(sheet->Page().Spin(), Qt::Key_Return);
    EXPECT_EQ(sheet->result(), QDialog::Accepted);

    auto second = Open(Block(US_STANDBY));
    second->show();
    QTest::keyClick(second.get(), Qt::Key_Escape);
    EXPECT_EQ(second->result(), QDialog::Rejected);
    EXPECT_NE(doc.NextTransactionType(), TT_KVN_T2_PIO_O) << "closing commits nothing";
}

TEST_F(PaletteSheet, SpanishSheetTextsFitAndEveryControlIsNamed) {
    CTreeListDoc spanish(Language::Spanish, workDir.Path());
    CPaletteSheet sheet(spanish, SheetTicket{}, true, 3, Block(US_STANDBY));
    EXPECT_EQ(sheet.Page().ReasonLabel()->text(), "Granja no conectada");
    EXPECT_EQ(sheet.windowTitle(), "Director WRB");
    auto* tabs = sheet.findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(0), "La operación");
    EXPECT_EQ(sheet.Page().ApplyButton()->text(), "Aplique");
    EXPECT_EQ(sheet.Buttons()->button(QDialogButtonBox::Ok)->text(), "BUENO");
    EXPECT_EQ(sheet.Page().TemperatureCaption(2)->text(), "La Temperatura del centro 3 (°F):");
    EXPECT_EQ(sheet.Page().ModeBox()->text(), "LA RESERVA");
    uicheck::ExpectTextsFit(sheet);
    uicheck::ExpectNamedControls(sheet);

    auto english = Open(Block(US_RUN));
    EXPECT_EQ(english->windowTitle(), "WRB Controller");
    uicheck::ExpectTextsFit(*english);
}
