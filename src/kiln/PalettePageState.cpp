#include "kiln/PalettePageState.h"

#include "app/StringTable.h"
#include "kiln/KilnDecoding.h"
#include "net/Frames.h"

#include <cmath>
#include <cstdio>

namespace {

const char* const kNoData = "~";
const char* const kNotApplicable = "N/A";
const char* const kNoReading = "***";

bool ModeHasHours(std::int32_t mode) {
    return mode == US_STANDBY || mode == US_RUN;
}

} // namespace

PaletteDisplayBlock PaletteDisplayBlock::FromRecord(const KilnRecord& record) {
    PaletteDisplayBlock block;
    block.m_bCentigrade = record.m_bCentigrade;
    block.m_iCuringMethod = record.m_iCuringMethod;
    block.m_bHeaterOn = record.m_bHeaterOn;
    block.m_fHours = record.m_fHours;
    for (std::size_t rtd = 0; rtd < block.m_nRtd.size(); ++rtd) {
        block.m_nRtd[rtd] = static_cast<std::int16_t>(record.m_wRtd[rtd]);
    }
    block.m_iOperationalMode = record.m_iOperationalMode;
    return block;
}

std::string PalettePageState::HoursTextFor(std::int32_t mode, float hours) {
    if (!ModeHasHours(mode) || !std::isfinite(hours)) {
        return kNotApplicable;
    }
    char text[64];
    // The magnitude is printed in both cases, so a negative zero still reads "0.0".
    if (hours >= 0.0f) {
        std::snprintf(text, sizeof text, "%0.1f", std::fabs(static_cast<double>(hours)));
    } else {
        std::snprintf(text, sizeof text, "- %0.1f", -static_cast<double>(hours));
    }
    return text;
}

std::string PalettePageState::TemperatureTextFor(bool centigrade, std::int16_t raw) {
    if (!HasValidReading(raw)) {
        return kNoReading;
    }
    return std::to_string(ConvertRawTemperature(true, centigrade, raw));
}

PalettePageState::PalettePageState(Language language, bool startupScanComplete,
                                   std::uint8_t identificationCode,
                                   const PaletteDisplayBlock& block)
    : m_language(language), m_current(block), m_bStartupScanIsComplete(startupScanComplete) {
    char id[8];
    std::snprintf(id, sizeof id, "%03d", static_cast<int>(identificationCode));
    m_strIdentification = id;

    ShowCaptions(block.m_bCentigrade != 0);
    ShowHeater();
    ShowHours();
    for (int rtd = 0; rtd < 4; ++rtd) {
        ShowTemperature(rtd);
    }
    m_shown.m_iCuringMethod = block.m_iCuringMethod;

    // The controls as the page opens: the first sheet of a run waits for the start-up scan,
    // and a unit in Setup cannot be switched from here.
    m_bSetupLocked = m_bStartupScanIsComplete != 0 && block.m_iOperationalMode == US_SETUP;
    m_bSpinEnabled = m_bStartupScanIsComplete != 0 && !m_bSetupLocked;
    m_bWaitingForUnit = m_bStartupScanIsComplete == 0;
    ShowMode(block.m_iOperationalMode);
    // Zeros would read as a cold kiln: a unit that has not answered shows that it has not.
    if (block.m_iCuringMethod == 0) {
        Lock();
    }
    ShowReason();
}

const std::string& PalettePageState::Text(int id) const {
    return StringTable::Text(m_language, id);
}

const std::string& PalettePageState::TemperatureText(int rtd) const {
    static const std::string kEmpty;
    if (rtd < 0 || rtd >= 4) {
        return kEmpty;
    }
    return m_strTemperature[static_cast<std::size_t>(rtd)];
}

const std::string& PalettePageState::CaptionText(int rtd) const {
    static const std::string kEmpty;
    if (rtd < 0 || rtd >= 4) {
        return kEmpty;
    }
    return m_strCaption[static_cast<std::size_t>(rtd)];
}

unsigned PalettePageState::ShowCaptions(bool centigrade) {
    for (int rtd = 0; rtd < 4; ++rtd) {
        m_strCaption[static_cast<std::size_t>(rtd)] =
            Text(TemperatureCaptionTextId(rtd, centigrade));
    }
    m_bUnitsUsed = centigrade ? 1 : 0;
    m_shown.m_bCentigrade = m_bUnitsUsed;
    return kCaptions;
}

unsigned PalettePageState::ShowHeater() {
    m_strHeater = Text(HeaterTextId(m_current.m_bHeaterOn));
    m_shown.m_bHeaterOn = m_current.m_bHeaterOn;
    return kHeater;
}

unsigned PalettePageState::ShowHours() {
    m_strHours = HoursTextFor(m_current.m_iOperationalMode, m_current.m_fHours);
    m_shown.m_fHours = m_current.m_fHours;
    return kHours;
}

unsigned PalettePageState::ShowTemperature(int rtd) {
    const auto slot = static_cast<std::size_t>(rtd);
    m_strTemperature[slot] = TemperatureTextFor(m_bUnitsUsed != 0, m_current.m_nRtd[slot]);
    m_shown.m_nRtd[slot] = m_current.m_nRtd[slot];
    return kTemperature1 << rtd;
}

unsigned PalettePageState::ShowMode(std::int32_t mode) {
    m_strMode = Text(OperationalModeTextId(mode));
    m_shown.m_iOperationalMode = mode;
    return kMode;
}

unsigned PalettePageState::SetControls(bool spin, bool apply) {
    const bool spinBefore = SpinEnabled();
    const bool applyBefore = ApplyEnabled();
    m_bSpinEnabled = spin;
    m_bApplyEnabled = apply;
    return ControlsChangedSince(spinBefore, applyBefore) | ShowReason();
}

unsigned PalettePageState::ControlsChangedSince(bool spinBefore, bool applyBefore) const {
    return (SpinEnabled() != spinBefore ? kSpin : 0u) |
           (ApplyEnabled() != applyBefore ? kApply : 0u);
}

std::string PalettePageState::CommitOutcomeText() const {
    int id = 0;
    switch (m_commitOutcome) {
    case CommitOutcome::None:
        return {};
    case CommitOutcome::Waiting:
        id = IDS_SHEET_COMMIT_WAITING;
        break;
    case CommitOutcome::Took:
        id = IDS_SHEET_COMMIT_TOOK;
        break;
    case CommitOutcome::NoAnswer:
        id = IDS_SHEET_COMMIT_NO_ANSWER;
        break;
    case CommitOutcome::Refused:
        id = IDS_SHEET_COMMIT_REFUSED;
        break;
    }
    char text[160];
    std::snprintf(text, sizeof text, Text(id).c_str(), m_strIdentification.c_str(),
                  Text(OperationalModeTextId(m_iSentMode)).c_str());
    return text;
}

unsigned PalettePageState::ShowReason() {
    // A lock says why nothing can be sent now, which matters more than what became of the
    // last commit; that shows again once the lock lifts.
    std::string reason;
    if (m_block == CommitBlock::FarmNotConnected) {
        reason = Text(IDS_SHEET_FARM_NOT_CONNECTED);
    } else if (m_block == CommitBlock::NoDataFromUnit || m_shown.m_iCuringMethod == 0) {
        reason = Text(IDS_SHEET_NO_DATA);
    } else {
        reason = CommitOutcomeText();
    }
    if (reason == m_strReason) {
        return 0;
    }
    m_strReason = reason;
    return kReason;
}

unsigned PalettePageState::SetCommitBlock(CommitBlock block) {
    if (block == m_block) {
        return 0;
    }
    const bool spinBefore = SpinEnabled();
    const bool applyBefore = ApplyEnabled();
    m_block = block;
    return ShowReason() | ControlsChangedSince(spinBefore, applyBefore);
}

unsigned PalettePageState::Lock() {
    m_strHeater = kNoData;
    m_strHours = kNoData;
    for (auto& text : m_strTemperature) {
        text = kNoData;
    }
    m_strMode = kNoData;
    // An edit that can no longer be applied is dropped, so the unit's own mode shows again
    // when its data return.
    m_iEditPending = 0;
    m_bSentSinceEdit = false;
    return kHeater | kHours | kAllTemperatures | kMode | SetControls(false, false);
}

unsigned PalettePageState::UpdateDynamic(const PaletteDisplayBlock& block) {
    m_current = block;
    unsigned changed = 0;
    bool refreshAll = false;
    if (block.m_iCuringMethod != m_shown.m_iCuringMethod) {
        m_shown.m_iCuringMethod = block.m_iCuringMethod;
        if (block.m_iCuringMethod == 0) {
            return Lock();
        }
        // Data back from a unit still in Setup leave the switch locked.
        m_bSetupLocked = block.m_iOperationalMode == US_SETUP;
        changed |= SetControls(!m_bSetupLocked, m_bApplyEnabled && !m_bSetupLocked);
        refreshAll = true;
    } else if (block.m_iCuringMethod == 0) {
        return 0;
    }

    // The unit's first reply since the sheet opened: from now on a commit is built on it.
    if (m_bWaitingForUnit) {
        m_bWaitingForUnit = false;
        changed |= SetControls(block.m_iOperationalMode != US_SETUP, m_bApplyEnabled);
    }

    bool unitsChanged = false;
    if (refreshAll || block.m_bCentigrade != m_shown.m_bCentigrade) {
        changed |= ShowCaptions(block.m_bCentigrade != 0);
        unitsChanged = true;
    }
    if (refreshAll || block.m_bHeaterOn != m_shown.m_bHeaterOn) {
        changed |= ShowHeater();
    }
    // The hours text also depends on the mode: "N/A" as soon as the unit leaves Standby and
    // Run, even when the hours themselves did not change.
    if (refreshAll || block.m_fHours != m_shown.m_fHours ||
        HoursTextFor(block.m_iOperationalMode, block.m_fHours) != m_strHours) {
        changed |= ShowHours();
    }
    for (int rtd = 0; rtd < 4; ++rtd) {
        const auto slot = static_cast<std::size_t>(rtd);
        if (refreshAll || unitsChanged || block.m_nRtd[slot] != m_shown.m_nRtd[slot]) {
            changed |= ShowTemperature(rtd);
        }
    }

    // A unit in Setup is being configured at its own panel: the page does not switch it, and
    // drops an edit the operator had prepared. Leaving Setup makes the controls ready again.
    if (block.m_iOperationalMode == US_SETUP) {
        if (!m_bSetupLocked) {
            m_bSetupLocked = true;
            m_iEditPending = 0;
            m_bSentSinceEdit = false;
            changed |= SetControls(false, false);
        }
    } else if (m_bSetupLocked) {
        m_bSetupLocked = false;
        changed |= SetControls(true, false);
    }

    if ((refreshAll || block.m_iOperationalMode != m_shown.m_iOperationalMode) &&
        m_iEditPending == 0) {
        changed |= ShowMode(block.m_iOperationalMode);
    }
    return changed;
}

unsigned PalettePageState::NotifyOfStatus(int replyCode) {
    // Replies to commits another sheet sent are not this page's to report.
    if (m_iLastCommit != 1) {
        return 0;
    }
    if (replyCode != KVN_RPY_SUCCESS) {
        m_commitOutcome =
            replyCode == KVN_RPY_FAILURE ? CommitOutcome::NoAnswer : CommitOutcome::Refused;
        return ShowReason();
    }
    m_commitOutcome = CommitOutcome::Took;
    m_current.m_iOperationalMode = m_shown.m_iOperationalMode;
    m_iEditPending = 0;
    m_bSentSinceEdit = false;
    return SetControls(m_bSpinEnabled, false);
}

unsigned PalettePageState::NotifyOfStartupScanStatus(bool complete) {
    // The notice is the program's, not this unit's: it never unlocks a unit without data.
    if (!complete || m_current.m_iOperationalMode == US_SETUP || m_shown.m_iCuringMethod == 0) {
        return 0;
    }
    m_bWaitingForUnit = false;
    return SetControls(true, m_bApplyEnabled);
}

unsigned PalettePageState::ToggleMode() {
    if (!SpinEnabled()) {
        return 0;
    }
    unsigned changed = ShowMode(m_shown.m_iOperationalMode != US_STANDBY ? US_STANDBY : US_RUN);
    m_bSentSinceEdit = false;
    if (m_shown.m_iOperationalMode != m_current.m_iOperationalMode) {
        m_iEditPending = 1;
        changed |= SetControls(true, true);
    } else {
        m_iEditPending = 0;
        changed |= SetControls(true, false);
    }
    return changed;
}

std::optional<std::int32_t> PalettePageState::Apply() {
    if (!ApplyEnabled()) {
        return std::nullopt;
    }
    m_iLastCommit = 1;
    m_bSentSinceEdit = true;
    m_iSentMode = m_shown.m_iOperationalMode;
    m_commitOutcome = CommitOutcome::Waiting;
    ShowReason();
    return m_iSentMode;
}

PalettePageState::Controls PalettePageState::ControlState() const {
    if (!SpinEnabled() && !ApplyEnabled()) {
        return Controls::Locked;
    }
    if (ApplyEnabled()) {
        return m_bSentSinceEdit ? Controls::Sent : Controls::Edited;
    }
    return Controls::Ready;
}
