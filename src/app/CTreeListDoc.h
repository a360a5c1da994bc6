#pragma once

#include "app/Language.h"
#include "config/FarmRecord.h"
#include "kiln/CommitList.h"
#include "kiln/KilnDecoding.h"
#include "kiln/KilnRecord.h"
#include "net/TransactionType.h"

#include <array>
#include <cstdint>
#include <span>
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
    // A 4-byte query: QT_KVN_SCAN to the unit nodeId, or QT_ZRM_QUERY1 to the alarm station
    // (always node 255). Another query type sends nothing.
    void IssueQuery(std::int32_t queryType, std::int32_t nodeId, std::int32_t expectedReplyBytes);
    // Sends the RecordImage as a commit frame, built in place: command byte, the commit
    // list's entries in order (an offset past the image or a count outside 0..9 is never
    // applied) and a fresh checksum.
    void IssueCommit(std::int32_t expectedReplyBytes);
    void IssueEchoOff();
    // The dial command of the current farm: "ATX1D" for a local modem, "ATDT" and the phone
    // number for a remote one. False, with nothing sent, for a farm without a modem or a
    // number longer than the dial command holds.
    bool IssueConnect();
    void IssueDisconnect_1();
    void IssueDisconnect_2();
    void IssueConnectionBurst();
    static bool VerifyTheChecksum(int checksumBytes, int length, const std::uint8_t* reply);
    // Bytes 2..4 of a ZRM size reply, big-endian; the caller has checked the length.
    static std::uint32_t Get_DataByteCount(const std::uint8_t* reply);

    // ---- Kiln record, decoding and alarm bitmap (kiln/CTreeListDoc_Kiln.cpp) -----------
    // Decodes a checked status reply; data is the reply from offset 2 on (data[0..49] read).
    void KVN_To_PC(KilnRecord& record, const std::uint8_t* data);
    // The same for a reply of unknown size: false, record unchanged, when data holds fewer
    // than the 50 bytes the decoder reads.
    bool KVN_To_PC(KilnRecord& record, std::span<const std::uint8_t> data);
    KilnRecord& ScratchRecord() { return m_kiln.m_scratch; }
    RecordImageBytes& RecordImage() { return m_kiln.m_byRecordImage; }
    const RecordImageBytes& RecordImage() const { return m_kiln.m_byRecordImage; }
    bool ImageFilled() const { return m_kiln.m_bImageFilled; }
    void SetImageFilled(bool filled) { m_kiln.m_bImageFilled = filled; }
    // Bit n stands for node index n (node ID - 1); an index outside 0..255 is ignored.
    void SetAlarmBit(int nodeIndex, bool alarmed);
    bool AlarmBit(int nodeIndex) const;
    bool AnyAlarm() const;
    const std::array<std::uint32_t, 8>& AlarmBitmap() const { return m_kiln.m_dwAlarmBitmap; }

    // ---- Parameter commits (kiln/CTreeListDoc_Commit.cpp) ------------------------------
    CommitList& Commits() { return m_commit; }
    const CommitList& Commits() const { return m_commit; }
    // Prepares a change of the selected unit's operating mode (0 Standby, 4 Run; any other
    // mode commits the image unchanged) and asks the scheduler for a commit.
    void Apply_3_1(std::int32_t mode);

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

    // Decoding target, the selected unit's last reply and the alarm bitmap.
    struct KilnState {
        KilnRecord m_scratch;
        RecordImageBytes m_byRecordImage{};
        bool m_bImageFilled = false;
        std::array<std::uint32_t, 8> m_dwAlarmBitmap{};
    } m_kiln;

    CommitList m_commit;
};
