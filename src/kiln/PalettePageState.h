#pragma once

#include "app/Language.h"
#include "kiln/CommitPermission.h"
#include "kiln/KilnRecord.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// What the controller sheet shows of one unit: the fields of its record the page displays.
struct PaletteDisplayBlock {
    std::int32_t m_bCentigrade = 0;
    std::int32_t m_iCuringMethod = 0; // 0 = no data from the unit
    std::int32_t m_bHeaterOn = 0;
    float m_fHours = 0.0f;
    std::array<std::int16_t, 4> m_nRtd{}; // cores 1-3, chamber; raw 1/20 °F
    std::int32_t m_iOperationalMode = 0;

    static PaletteDisplayBlock FromRecord(const KilnRecord& record);
};

// The controller page's decisions without its widgets: current and shown values, the texts
// of every field, and the state of the mode controls (spin and Apply). Each operation returns
// the fields whose text or enabled state it changed, so the page redraws only those.
class PalettePageState {
public:
    enum Field : unsigned {
        kHeater = 1u << 0,
        kHours = 1u << 1,
        kTemperature1 = 1u << 2, // kTemperature1 << n for RTD n
        kCaptions = 1u << 6,
        kMode = 1u << 7,
        kSpin = 1u << 8,
        kApply = 1u << 9,
        kIdentification = 1u << 10,
        kReason = 1u << 11,
    };
    static constexpr unsigned kAllTemperatures = 0xFu << 2;
    static constexpr unsigned kEverything = (1u << 12) - 1;

    // The stages of the mode controls.
    enum class Controls { Locked, Ready, Edited, Sent };
    // What became of the last commit sent from this page.
    enum class CommitOutcome { None, Waiting, Took, NoAnswer, Refused };

    // Builds every text for the unit's block, then the mode controls as the page opens them:
    // locked while the unit is in Setup, and, without startupScanComplete, until the unit's
    // first reply (or the start-up scan's end) arrives. A unit without data opens with "~"
    // in every value and the controls locked until its data come.
    PalettePageState(Language language, bool startupScanComplete, std::uint8_t identificationCode,
                     const PaletteDisplayBlock& block);

    // A new status of the unit.
    unsigned UpdateDynamic(const PaletteDisplayBlock& block);
    // The reply code of a commit (70 "F" when the scheduler gave up on it).
    unsigned NotifyOfStatus(int replyCode);
    // The program's start-up scan has completed.
    unsigned NotifyOfStartupScanStatus(bool complete);
    // Whether the document lets this sheet commit now (its farm connected, a reply of its
    // unit since the sheet opened). While it does not, the mode controls are locked whatever
    // else the page would allow, and the reason is the page's reason text.
    unsigned SetCommitBlock(CommitBlock block);
    CommitBlock Block() const { return m_block; }
    // The page's reason line: why the mode controls are locked, in words (not when Setup or
    // the start-up scan locks them: the mode box says so); while they are not locked, what
    // became of the last commit ("Sent — waiting for unit 003", "Unit 003 took RUN", ...);
    // else empty.
    const std::string& ReasonText() const { return m_strReason; }
    CommitOutcome LastCommitOutcome() const { return m_commitOutcome; }
    // The spin control: Standby <-> Run. Nothing while the spin control is disabled.
    unsigned ToggleMode();
    // Apply: the mode to commit, or nothing while Apply is disabled. Apply stays enabled
    // until the unit confirms, so the operator can send again. From here the reason line says
    // that the page waits for the unit (kReason changes).
    std::optional<std::int32_t> Apply();

    Controls ControlState() const;
    bool SpinEnabled() const { return m_bSpinEnabled && m_block == CommitBlock::None; }
    bool ApplyEnabled() const { return m_bApplyEnabled && m_block == CommitBlock::None; }
    bool EditPending() const { return m_iEditPending != 0; }
    bool Centigrade() const { return m_bUnitsUsed != 0; }
    std::int32_t CurrentMode() const { return m_current.m_iOperationalMode; }
    std::int32_t ShownMode() const { return m_shown.m_iOperationalMode; }

    const std::string& IdentificationText() const { return m_strIdentification; }
    const std::string& HeaterText() const { return m_strHeater; }
    const std::string& HoursText() const { return m_strHours; }
    const std::string& TemperatureText(int rtd) const;
    const std::string& CaptionText(int rtd) const;
    const std::string& ModeText() const { return m_strMode; }

    // Texts of a field, shared with the tests: "%0.1f" / "- %0.1f" in Standby and Run, else
    // "N/A"; "***" for a raw temperature without a valid reading.
    static std::string HoursTextFor(std::int32_t mode, float hours);
    static std::string TemperatureTextFor(bool centigrade, std::int16_t raw);

private:
    const std::string& Text(int id) const;
    unsigned ShowCaptions(bool centigrade);
    unsigned ShowHeater();
    unsigned ShowHours();
    unsigned ShowTemperature(int rtd);
    unsigned ShowMode(std::int32_t mode);
    unsigned Lock();
    unsigned SetControls(bool spin, bool apply);
    // kSpin and kApply for the controls whose enabled state differs from the one given.
    unsigned ControlsChangedSince(bool spinBefore, bool applyBefore) const;
    unsigned ShowReason();
    std::string CommitOutcomeText() const;

    Language m_language;
    PaletteDisplayBlock m_current;
    PaletteDisplayBlock m_shown;
    std::int32_t m_bUnitsUsed = 0;
    std::int32_t m_iEditPending = 0;
    std::int32_t m_iLastCommit = 0;
    std::int32_t m_bStartupScanIsComplete = 0;
    bool m_bSentSinceEdit = false;
    bool m_bSetupLocked = false;
    bool m_bWaitingForUnit = false;
    bool m_bSpinEnabled = false;
    bool m_bApplyEnabled = false;
    CommitBlock m_block = CommitBlock::None;
    CommitOutcome m_commitOutcome = CommitOutcome::None;
    std::int32_t m_iSentMode = 0;
    std::string m_strReason;

    std::string m_strIdentification;
    std::string m_strHeater;
    std::string m_strHours;
    std::array<std::string, 4> m_strTemperature;
    std::array<std::string, 4> m_strCaption;
    std::string m_strMode;
};
