#pragma once

#include "app/Language.h"
#include "config/FarmRecord.h"
#include "kiln/KilnRecord.h"
#include "net/TransactionType.h"

#include <array>
#include <cstdint>
#include <string>

class PortWriter;

// The document: the centre of the program. It owns the four farms with their units, the
// transaction and link state, the commit list and the alarm bitmap. Its routines are spread
// over the subsystem folders (CTreeListDoc_<Subsystem>.cpp); each block of members below
// says which file holds its logic.
class CTreeListDoc {
public:
    explicit CTreeListDoc(Language language = Language::English);
    ~CTreeListDoc();
    CTreeListDoc(const CTreeListDoc&) = delete;
    CTreeListDoc& operator=(const CTreeListDoc&) = delete;

    Language GetLanguage() const { return m_language; }

    // ---- Seams -------------------------------------------------------------------------
    void SetPortWriter(PortWriter* writer) { m_pPortWriter = writer; }

    // ---- Port forwarding (app/CTreeListDoc.cpp) ----------------------------------------
    // Hands a frame to the port side; without one it sends nothing and returns 0.
    int Write(const std::uint8_t* bytes, int count, int expectedReplyBytes);

    // ---- Farms (config/CTreeListDoc_Registry.cpp) --------------------------------------
    FarmRecord& Farm(int farmIndex) { return m_farms[static_cast<std::size_t>(farmIndex & 3)]; }
    const FarmRecord& Farm(int farmIndex) const
    {
        return m_farms[static_cast<std::size_t>(farmIndex & 3)];
    }
    int CurrentFarmIndex() const { return m_iCurrentFarm; }
    FarmRecord& CurrentFarm() { return Farm(m_iCurrentFarm); }

    // ---- Transaction scheduler (net/CTreeListDoc_Scheduler.cpp) ------------------------
    std::int32_t TransactionTypeNow() const { return m_tx.m_iTransactionType; }
    std::int32_t NextTransactionType() const { return m_tx.m_iNextTransactionType; }

    // ---- Frames and checksums (net/CTreeListDoc_Frames.cpp) ----------------------------

    // ---- Kiln record, decoding and alarm bitmap (kiln/CTreeListDoc_Kiln.cpp) -----------

    // ---- Parameter commits (kiln/CTreeListDoc_Commit.cpp) ------------------------------

private:
    Language m_language;
    PortWriter* m_pPortWriter = nullptr;

    std::array<FarmRecord, kFarmCount> m_farms;
    int m_iCurrentFarm = 0;

    // Scheduler state: the transaction in progress and the one requested next.
    struct TransactionState {
        std::int32_t m_iTransactionType = TT_NONE;
        std::int32_t m_iNextTransactionType = TT_NONE;
    } m_tx;
};
