#include "kiln/PalettePageState.h"
#include "kiln/KilnDecoding.h"
#include "net/Frames.h"

#include <gtest/gtest.h>

namespace {

using Controls = PalettePageState::Controls;

PaletteDisplayBlock Block(std::int32_t mode, float hours = 1.0f, std::int16_t raw = 1640) {
    PaletteDisplayBlock block;
    block.m_iCuringMethod = CM_AH;
    block.m_iOperationalMode = mode;
    block.m_fHours = hours;
    block.m_nRtd = {raw, raw, raw, raw};
    return block;
}

PalettePageState OpenSheet(const PaletteDisplayBlock& block, bool startupScanComplete = true,
                           Language language = Language::English) {
    return PalettePageState(language, startupScanComplete, 7, block);
}

} // namespace

TEST(PalettePageTexts, HoursAreSignedInStandbyAndRunAndNotApplicableElsewhere) {
    EXPECT_EQ(PalettePageState::HoursTextFor(US_RUN, -1.5f), "- 1.5");
    EXPECT_EQ(PalettePageState::HoursTextFor(US_STANDBY, 0.0f), "0.0");
    EXPECT_EQ(PalettePageState::HoursTextFor(US_STANDBY, -0.0f), "0.0");
    EXPECT_EQ(PalettePageState::HoursTextFor(US_RUN, 12.25f), "12.2");
    EXPECT_EQ(PalettePageState::HoursTextFor(US_SETUP, 3.0f), "N/A");
    EXPECT_EQ(PalettePageState::HoursTextFor(9, 3.0f), "N/A");
}

TEST(PalettePageTexts, TemperaturesStopAtTheLastValidReading) {
    EXPECT_EQ(PalettePageState::TemperatureTextFor(false, 4240), "212");
    EXPECT_EQ(PalettePageState::TemperatureTextFor(true, 4240), "100");
    EXPECT_EQ(PalettePageState::TemperatureTextFor(false, 4241), "***");
    // A word with its top bit set is a very cold reading, not a missing one.
    EXPECT_NE(PalettePageState::TemperatureTextFor(false, -200), "***");
}

TEST(PalettePageOpening, IdentificationAndEveryFieldComeFromTheBlock) {
    const PalettePageState page = OpenSheet(Block(US_STANDBY, 0.0f, 4241));
    EXPECT_EQ(page.IdentificationText(), "007");
    EXPECT_EQ(page.HeaterText(), "Off");
    EXPECT_EQ(page.HoursText(), "0.0");
    EXPECT_EQ(page.TemperatureText(0), "***");
    EXPECT_EQ(page.CaptionText(3), "Chamber Temperature (°F):");
    EXPECT_EQ(page.ModeText(), "STANDBY");
    EXPECT_EQ(page.ControlState(), Controls::Ready);
    EXPECT_EQ(page.TemperatureText(4), "");
}

TEST(PalettePageOpening, SetupShowsSetupAndNotApplicableHoursLocked) {
    const PalettePageState page = OpenSheet(Block(US_SETUP, 5.0f));
    EXPECT_EQ(page.ModeText(), "SETUP");
    EXPECT_EQ(page.HoursText(), "N/A");
    EXPECT_FALSE(page.SpinEnabled());
    EXPECT_EQ(page.ControlState(), Controls::Locked);
}

TEST(PalettePageOpening, FirstSheetOfTheRunWaitsForTheUnitsFirstReply) {
    PaletteDisplayBlock none;
    PalettePageState page = OpenSheet(none, false);
    EXPECT_EQ(page.ControlState(), Controls::Locked);
    EXPECT_EQ(page.ToggleMode(), 0u);

    // The first reply brings data: the spin control is enabled and every field redrawn.
    const unsigned changed = page.UpdateDynamic(Block(US_STANDBY));
    EXPECT_TRUE(page.SpinEnabled());
    EXPECT_EQ(changed & PalettePageState::kAllTemperatures, PalettePageState::kAllTemperatures);
    EXPECT_NE(changed & PalettePageState::kSpin, 0u);
}

TEST(PalettePageOpening, SheetWithoutItsUnitsReplyAtHandUnlocksOnTheNextReply) {
    // The unit has data, but the reply a commit would be built on is not this unit's yet.
    PalettePageState page = OpenSheet(Block(US_STANDBY), false);
    EXPECT_EQ(page.ControlState(), Controls::Locked);
    EXPECT_NE(page.UpdateDynamic(Block(US_STANDBY)) & PalettePageState::kSpin, 0u);
    EXPECT_EQ(page.ControlState(), Controls::Ready);

    PalettePageState setup = OpenSheet(Block(US_SETUP), false);
    setup.UpdateDynamic(Block(US_SETUP));
    EXPECT_EQ(setup.ControlState(), Controls::Locked);
}

TEST(PalettePageOpening, StartupScanNotificationUnlocksExceptInSetup) {
    PalettePageState running = OpenSheet(Block(US_RUN), false);
    EXPECT_FALSE(running.SpinEnabled());
    running.NotifyOfStartupScanStatus(true);
    EXPECT_TRUE(running.SpinEnabled());

    PalettePageState setup = OpenSheet(Block(US_SETUP), false);
    setup.NotifyOfStartupScanStatus(true);
    EXPECT_FALSE(setup.SpinEnabled());
}

TEST(PalettePageModeEdit, PendingEditSurvivesAStatusThatReachesTheChosenMode) {
    PalettePageState page = OpenSheet(Block(US_STANDBY));
    page.ToggleMode();
    page.UpdateDynamic(Block(US_STANDBY, 2.0f));
    EXPECT_EQ(page.ModeText(), "RUN");
    page.UpdateDynamic(Block(US_RUN, 2.0f));
    EXPECT_EQ(page.ModeText(), "RUN");
    EXPECT_TRUE(page.ApplyEnabled());
    EXPECT_EQ(page.Apply(), US_RUN);
}

TEST(PalettePageModeEdit, ApplyStaysEnabledUntilTheUnitConfirms) {
    PalettePageState page = OpenSheet(Block(US_STANDBY));
    EXPECT_EQ(page.Apply(), std::nullopt);
    page.ToggleMode();
    EXPECT_EQ(page.Apply(), US_RUN);
    EXPECT_EQ(page.ControlState(), Controls::Sent);

    // A refusal or a time-out leaves everything as it was.
    EXPECT_EQ(page.NotifyOfStatus('F') & ~PalettePageState::kReason, 0u);
    EXPECT_EQ(page.ControlState(), Controls::Sent);
    EXPECT_EQ(page.Apply(), US_RUN);

    page.NotifyOfStatus(KVN_RPY_SUCCESS);
    EXPECT_EQ(page.ControlState(), Controls::Ready);
    EXPECT_EQ(page.CurrentMode(), US_RUN);
    EXPECT_EQ(page.ModeText(), "RUN");
}

TEST(PalettePageCommitOutcome, SaysItWaitsForTheUnitThenWhatCameBack) {
    PalettePageState page = OpenSheet(Block(US_STANDBY));
    EXPECT_EQ(page.NotifyOfStatus(KVN_RPY_SUCCESS), 0u) << "nothing sent from this page";
    EXPECT_EQ(page.ReasonText(), "");

    page.ToggleMode();
    page.Apply();
    EXPECT_EQ(page.ReasonText(), "Sent — waiting for unit 007");
    EXPECT_EQ(page.NotifyOfStatus(KVN_RPY_FAILURE), PalettePageState::kReason);
    EXPECT_EQ(page.ReasonText(), "No answer from unit 007: not changed");
    page.Apply();
    page.NotifyOfStatus('N');
    EXPECT_EQ(page.ReasonText(), "Unit 007 refused the change");

    // A lock's reason wins while it lasts; the commit's own news is back when it lifts.
    page.Apply();
    page.SetCommitBlock(CommitBlock::FarmNotConnected);
    EXPECT_EQ(page.ReasonText(), "Farm not connected");
    page.SetCommitBlock(CommitBlock::None);
    EXPECT_EQ(page.ReasonText(), "Sent — waiting for unit 007");
    EXPECT_NE(page.NotifyOfStatus(KVN_RPY_SUCCESS) & PalettePageState::kReason, 0u);
    EXPECT_EQ(page.ReasonText(), "Unit 007 took RUN");

    PalettePageState spanish = OpenSheet(Block(US_RUN), true, Language::Spanish);
    spanish.ToggleMode();
    spanish.Apply();
    EXPECT_EQ(spanish.ReasonText(), "Enviado — esperando a la unidad 007");
    spanish.NotifyOfStatus(KVN_RPY_SUCCESS);
    EXPECT_EQ(spanish.ReasonText(), "La unidad 007 aceptó LA RESERVA");
}

TEST(PalettePageModeEdit, UnitEnteringSetupDropsTheEditAndLocksUntilItLeaves) {
    PalettePageState page = OpenSheet(Block(US_STANDBY));
    page.ToggleMode();
    page.UpdateDynamic(Block(US_SETUP));
    EXPECT_EQ(page.ControlState(), Controls::Locked);
    EXPECT_EQ(page.ModeText(), "SETUP");
    EXPECT_EQ(page.HoursText(), "N/A");

    page.UpdateDynamic(Block(US_STANDBY));
    EXPECT_EQ(page.ControlState(), Controls::Ready);
    EXPECT_EQ(page.ModeText(), "STANDBY");
    EXPECT_EQ(page.HoursText(), "1.0");
}

TEST(PalettePageUpdates, UnitsSwitchRedrawsCaptionsAndTemperaturesOnTheSameUpdate) {
    PalettePageState page = OpenSheet(Block(US_RUN, 1.0f, 4240));
    PaletteDisplayBlock centigrade = Block(US_RUN, 1.0f, 4240);
    centigrade.m_bCentigrade = 1;
    const unsigned changed = page.UpdateDynamic(centigrade);
    EXPECT_NE(changed & PalettePageState::kCaptions, 0u);
    EXPECT_EQ(changed & PalettePageState::kAllTemperatures, PalettePageState::kAllTemperatures);
    EXPECT_EQ(page.CaptionText(0), "Core Temperature 1 (°C):");
    EXPECT_EQ(page.TemperatureText(2), "100");
    EXPECT_EQ(changed & (PalettePageState::kHours | PalettePageState::kMode), 0u);
}

TEST(PalettePageUpdates, OnlyChangedFieldsAreRedrawn) {
    PalettePageState page = OpenSheet(Block(US_RUN, 1.0f, 1640));
    PaletteDisplayBlock next = Block(US_RUN, 1.0f, 1640);
    next.m_nRtd[3] = 1700;
    EXPECT_EQ(page.UpdateDynamic(next), PalettePageState::kTemperature1 << 3);
    EXPECT_EQ(page.UpdateDynamic(next), 0u);
}

TEST(PalettePageUpdates, DataLossShowsTildesAndReturnRedrawsEverything) {
    PalettePageState page = OpenSheet(Block(US_RUN, 4.0f));
    page.ToggleMode();
    page.UpdateDynamic(PaletteDisplayBlock{});
    EXPECT_EQ(page.HeaterText(), "~");
    EXPECT_EQ(page.HoursText(), "~");
    EXPECT_EQ(page.TemperatureText(1), "~");
    EXPECT_EQ(page.ModeText(), "~");
    EXPECT_EQ(page.IdentificationText(), "007");
    EXPECT_EQ(page.ControlState(), Controls::Locked);
    // A second silent status changes nothing further.
    EXPECT_EQ(page.UpdateDynamic(PaletteDisplayBlock{}), 0u);

    page.UpdateDynamic(Block(US_RUN, 4.0f));
    EXPECT_EQ(page.HoursText(), "4.0");
    EXPECT_EQ(page.ModeText(), "RUN");
    EXPECT_EQ(page.TemperatureText(3), "82");
    EXPECT_EQ(page.ControlState(), Controls::Ready);
}

TEST(PalettePageUpdates, UnitThatNeverAnsweredOpensLockedShowingNoValuesAndSaysWhy) {
    PalettePageState page = OpenSheet(PaletteDisplayBlock{});
    EXPECT_EQ(page.HeaterText(), "~");
    EXPECT_EQ(page.HoursText(), "~");
    EXPECT_EQ(page.TemperatureText(0), "~");
    EXPECT_EQ(page.ModeText(), "~");
    EXPECT_EQ(page.ControlState(), Controls::Locked);
    EXPECT_EQ(page.ReasonText(), "No data from this unit");
    EXPECT_EQ(page.NotifyOfStartupScanStatus(true), 0u) << "the program's notice is no data";

    page.UpdateDynamic(Block(US_STANDBY));
    EXPECT_EQ(page.ModeText(), "STANDBY");
    EXPECT_EQ(page.ControlState(), Controls::Ready);
    EXPECT_EQ(page.ReasonText(), "");
}

TEST(PalettePageCommitBlock, LocksTheSwitchWhileTheDocumentRefusesAndSaysWhy) {
    PalettePageState page = OpenSheet(Block(US_STANDBY));
    page.ToggleMode();
    ASSERT_EQ(page.ControlState(), Controls::Edited);

    const unsigned changed = page.SetCommitBlock(CommitBlock::FarmNotConnected);
    EXPECT_EQ(changed & (PalettePageState::kSpin | PalettePageState::kApply),
              PalettePageState::kSpin | PalettePageState::kApply);
    EXPECT_EQ(page.ControlState(), Controls::Locked);
    EXPECT_EQ(page.ReasonText(), "Farm not connected");
    EXPECT_EQ(page.ToggleMode(), 0u);
    EXPECT_FALSE(page.Apply().has_value()) << "a locked page commits nothing";

    page.SetCommitBlock(CommitBlock::NoDataFromUnit);
    EXPECT_EQ(page.ReasonText(), "No data from this unit");
    // Lifting the block gives back the edit the operator had prepared.
    page.SetCommitBlock(CommitBlock::None);
    EXPECT_EQ(page.ControlState(), Controls::Edited);
    EXPECT_EQ(page.ReasonText(), "");
    EXPECT_EQ(page.Apply(), std::optional<std::int32_t>(US_RUN));

    PalettePageState spanish = OpenSheet(Block(US_RUN), true, Language::Spanish);
    spanish.SetCommitBlock(CommitBlock::FarmNotConnected);
    EXPECT_EQ(spanish.ReasonText(), "Granja no conectada");
}

TEST(PalettePageCommitBlock, UnitInSetupThatFallsSilentAndReturnsInSetupStaysLocked) {
    PalettePageState page = OpenSheet(Block(US_SETUP));
    ASSERT_EQ(page.ControlState(), Controls::Locked);
    page.UpdateDynamic(PaletteDisplayBlock{});
    page.UpdateDynamic(Block(US_SETUP));
    EXPECT_EQ(page.ModeText(), "SETUP");
    EXPECT_EQ(page.ControlState(), Controls::Locked);
    page.UpdateDynamic(Block(US_STANDBY));
    EXPECT_EQ(page.ControlState(), Controls::Ready);
}

TEST(PalettePageTexts, SpanishBuildUsesItsOwnTexts) {
    PaletteDisplayBlock block = Block(US_STANDBY);
    block.m_bHeaterOn = 1;
    PalettePageState page = OpenSheet(block, true, Language::Spanish);
    EXPECT_EQ(page.HeaterText(), "En");
    EXPECT_EQ(page.ModeText(), "LA RESERVA");
    EXPECT_EQ(page.CaptionText(0), "La Temperatura del centro 1 (°F):");
    page.ToggleMode();
    EXPECT_EQ(page.ModeText(), "CORRA");
}
