#pragma once

#include "app/CTreeListDoc.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The document's inner state as tests read it, and the few states they set directly: nothing
// the program itself asks of the document. The document lets this probe in.
class DocProbe {
public:
    explicit DocProbe(CTreeListDoc& doc) : m_doc(doc) {}

    // ---- Transaction scheduler ---------------------------------------------------------
    std::int32_t TransactionTypeNow() const { return m_doc.m_tx.m_iTransactionType; }
    std::int32_t RetryCountdown() const { return m_doc.m_tx.m_iRetryCountdown; }
    std::int32_t AttemptNumber() const { return m_doc.m_tx.m_iAttempt; }
    std::uint16_t StatusTimeCounter() const { return m_doc.m_tx.m_wStatusTime; }
    void SetStatusTimeCounter(std::uint16_t value) { m_doc.m_tx.m_wStatusTime = value; }
    // Asks for a commit of the commit list at the next tick that moves on.
    void RequestCommit() { m_doc.m_tx.m_iNextTransactionType = TT_KVN_T2_PIO_O; }

    // ---- Connecting and disconnecting --------------------------------------------------
    // The farm waiting to be connected again; -1 for none.
    int ReconnectFarm() const { return m_doc.m_link.m_iReconnectFarm; }

    // ---- Alarm-station query -----------------------------------------------------------
    std::int32_t Query1State() const { return m_doc.m_station.m_iQuery1State; }
    std::uint32_t Query1ByteCount() const { return m_doc.m_station.m_dwQuery1ByteCount; }

    // ---- PC logging --------------------------------------------------------------------
    bool PcLoggingEnabled() const { return m_doc.m_pclog.m_bPcLoggingEnabled; }
    bool LogCycleActive() const { return m_doc.m_pclog.m_bLogCycleActive; }
    std::size_t HeldLogLines() const { return m_doc.m_pclog.m_heldLines.size(); }
    bool LogDescriptorPromptOpen() const { return m_doc.m_pclog.m_bDescriptorPromptOpen; }
    const std::string& LogDescriptor() const { return m_doc.m_pclog.m_strLogDescriptor; }
    bool PcLogsDirectoryAvailable() const { return m_doc.m_pclog.m_bPcLogsDirectoryAvailable; }

    // ---- Settings ----------------------------------------------------------------------
    bool NodeListsChanged() const { return m_doc.m_settings.m_bNodeListsChanged != 0; }
    bool SettingsCanBeSaved() const { return m_doc.SettingsSaveProblem().empty(); }

    // ---- Alarm bitmap ------------------------------------------------------------------
    // Bit n stands for node index n (node ID - 1).
    const std::array<std::uint32_t, 8>& AlarmBitmap() const { return m_doc.m_kiln.m_dwAlarmBitmap; }

private:
    CTreeListDoc& m_doc;
};
