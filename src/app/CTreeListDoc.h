#pragma once

#include "alarm/CPcSpeaker.h"
#include "app/FarmRecord.h"
#include "app/Language.h"
#include "config/ComPortProbe.h"
#include "config/FarmParameters.h"
#include "config/RegistryStore.h"
#include "kiln/CommitList.h"
#include "kiln/CommitPermission.h"
#include "kiln/KilnDecoding.h"
#include "kiln/KilnRecord.h"
#include "kiln/TrendStore.h"
#include "net/LineHealth.h"
#include "net/ScanPace.h"
#include "net/TransactionType.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class FarmTreeView;
class FrameServices;
class KilnListView;
class PortWriter;
class Clock;
class SpeakerBackend;
struct LocalDateTime;

// The document: the centre of the program. It owns the four farms with their units, the
// transaction and link state, the commit list and the alarm bitmap. Its routines are spread
// over the subsystem folders (CTreeListDoc_<Subsystem>.cpp); each block of members below
// says which file holds its logic.
class CTreeListDoc {
public:
    // PC logs go under the process's current directory.
    explicit CTreeListDoc(Language language = Language::English);
    // PC logs go under workingDirectory ("PC_Logs" inside it, made if missing).
    CTreeListDoc(Language language, const std::string& workingDirectory);
    ~CTreeListDoc();
    CTreeListDoc(const CTreeListDoc&) = delete;
    CTreeListDoc& operator=(const CTreeListDoc&) = delete;

    Language GetLanguage() const { return m_language; }

    // ---- Seams -------------------------------------------------------------------------
    // Each is owned elsewhere and must outlive the document, whose end may still write to the
    // port, close log files and save settings; a missing one makes the calls that need it do
    // nothing.
    void SetPortWriter(PortWriter* writer) { m_pPortWriter = writer; }
    void SetFrameServices(FrameServices* frame) { m_pFrame = frame; }
    void SetKilnListView(KilnListView* view) { m_pListView = view; }
    void SetFarmTreeView(FarmTreeView* view) { m_pTreeView = view; }
    KilnListView* GetKilnListView() const { return m_pListView; }
    FarmTreeView* GetFarmTreeView() const { return m_pTreeView; }
    void SetClock(Clock* clock) { m_pClock = clock; }

    // ---- Port forwarding (app/CTreeListDoc.cpp) ----------------------------------------
    // Hands a frame to the port side; without one it sends nothing and returns 0.
    int Write(const std::uint8_t* bytes, int count, int expectedReplyBytes);
    // Opens the port for the current farm; remembers and returns 1 when it opened.
    int PortOpen(bool directLine, int comPort);
    // Closes the port if this document opened it; does nothing otherwise.
    void PortClose();
    int PortCarrier();
    bool IsPortOpen() const { return m_link.m_bPortOpen; }

    // ---- Connecting and disconnecting (link/CTreeListDoc_Connection.cpp) ---------------
    void FarmConnect(int farmIndex);
    void fARMdISCONNECT(int farmIndex);
    void SetFarmIsConnected();
    void FarmLinkLost(bool startDisconnect);
    // The port vanished under a connection (adapter pulled, far end gone): the farm is
    // disconnected as by the disconnect command, and connected again after the reconnect
    // interval when one is set.
    void FarmPortLost();
    // Seconds between a lost port and the next attempt to connect its farm; 0 = never. The
    // registry's "Reconnect Interval" sets it at the load.
    int ReconnectSeconds() const { return m_link.m_iReconnectSeconds; }
    void SetReconnectSeconds(int seconds) {
        m_link.m_iReconnectSeconds = seconds < 0 ? 0 : seconds;
    }
    void pUT_fARMiScONNECTED(int farmIndex, bool connected);
    void fARMcONNECTIONtRANSITION(bool connected, int farmIndex);
    void cHANGEtHEfARMiCON(bool connected, int farmIndex);
    bool InCommandMode() const { return m_link.m_bInCommandMode; }
    int ConnectStage() const { return m_link.m_nConnectStage; }
    int DisconnectStage() const { return m_link.m_nDisconnectStage; }
    // Asks the tick to connect this farm (farm index + 1; 0 = none) on its next run.
    void SetFarmToConnectOnStartup(std::uint8_t farmNumber) {
        m_link.m_byFarmToConnectOnStartup = farmNumber;
    }
    std::uint8_t FarmToConnectOnStartup() const { return m_link.m_byFarmToConnectOnStartup; }
    // The modem hang-up of a program end that finds a modem farm still connected.
    void HangUpAtShutdown();

    // ---- Transaction scheduler (net/CTreeListDoc_Scheduler.cpp) ------------------------
    void Timer1_Tick();
    void IssueCommitOrQuery();
    // "%04d:%02d:%02d:%02d" of a status time counter value: days, hours, minutes, seconds.
    static std::string ElapsedTimeText(std::uint16_t counter);
    std::int32_t ExpectedReplyBytes() const { return m_tx.m_iExpectedReplyBytes; }
    bool StartupScanComplete() const { return m_tx.m_bStartupScanComplete; }

    // ---- Line pace (net/CTreeListDoc_LinePace.cpp) ----------------------------------------
    // A farm at the line pace has its scans and commits spaced by the line instead of the
    // tick: the tick keeps everything else. Whoever runs the tick also calls LineStep when
    // LineStepDueMs says (a time of the clock's MonotonicMilliseconds; -1 while the tick alone
    // paces the line), and again whenever the wake it set is called.
    bool LinePaced() const;
    std::int64_t LineStepDueMs() const;
    void LineStep();
    // The clock's MonotonicMilliseconds (0 without a clock).
    std::int64_t LineMs() const;
    // Called when a reply moved the due time earlier; the caller arms its timer again.
    void SetLineWake(std::function<void()> wake) { m_lineWake = std::move(wake); }
    // A farm's pace: read from its key at the load; written there when the operator changes it.
    const ScanPaceSettings& FarmScanPace(int farmIndex) const { return Farm(farmIndex).m_scanPace; }
    // Sets the pace for this run only (kilnmon's option); false for a farm outside 0..3.
    bool SetFarmScanPace(int farmIndex, const ScanPaceSettings& settings);
    // Sets it and writes the values that changed to the farm's key; false when they could not
    // be written (the pace still applies for this run).
    bool PutFarmScanPace(int farmIndex, const ScanPaceSettings& settings);

    // ---- Line health and trends of the connection (net/, fed by the scheduler and replies)
    // Both start afresh at each connection. Times are local seconds since 2000-01-01.
    const LineHealth& Health() const { return m_health; }
    const TrendStore& Trends() const { return m_trends; }
    // The clock's local time in those seconds; 0 without a clock.
    std::int64_t LocalNow() const;

    // ---- Reply assembly and dispatch (net/CTreeListDoc_Replies.cpp) --------------------
    void pROCESStHErAWdATA(const std::uint8_t* reply, int byteCount);

    // ---- Alarm-station query (station/CTreeListDoc_Station.cpp) ------------------------
    void ZRM_Query1_Query();
    void ZRM_QueryN_Adjustment(bool dialogCancelled);

    // ---- PC logging hooks (pclog/) -------------------------------------------------------
    // A cycle that needs a new file first asks the frame for its descriptor and returns;
    // the cycle starts when the answer comes back through OnLogDescriptorAnswered. While
    // that prompt is open no other cycle starts.
    void StartLogCycle(int farmIndex);
    // While the prompt is open the cycles go on, their lines held in memory (at most
    // kMaxHeldLogLines) and written after the descriptor line once it is answered. A prompt
    // left open for the descriptor timeout is answered as one closed without OK (the previous
    // text stays), and a connection that ends under it writes its held lines that way too.
    void OnLogDescriptorAnswered(bool confirmed, const std::string& text);
    static constexpr std::size_t kMaxHeldLogLines = 254 * 30;
    // Seconds the prompt waits for the operator; 0 = for ever. The registry's "Log
    // Descriptor Timeout" sets it at the load (default 600).
    int DescriptorTimeoutSeconds() const { return m_pclog.m_iDescriptorTimeoutSeconds; }
    void SetDescriptorTimeoutSeconds(int seconds) {
        m_pclog.m_iDescriptorTimeoutSeconds = seconds < 0 ? 0 : seconds;
    }
    void lOGdETAILlINE(bool force, int farmIndex, int nodeId);
    // Closes the connection's files: mirror deleted, log file visible and read-only.
    void EndConnectionLog(int farmIndex);
    const std::string& WorkingDirectory() const { return m_pclog.m_strWorkingDirectory; }
    const std::string& PcLogsDirectory() const { return m_pclog.m_strPcLogsDirectory; }
    // Why no PC log will be written, for a notice "PC logging is off: <reason>": the PC_Logs
    // folder cannot be written, or it could not be made and the working folder, where the
    // logs go then, cannot be written either. Empty when the logs had a folder at start.
    const std::string& PcLoggingOffReason() const { return m_pclog.m_strPcLoggingOffReason; }
    // The farm's writer: the path of its current log file and of the mirror, its open state.
    const CLog& PcLog(int farmIndex) const { return Farm(farmIndex).m_log; }

    // ---- Alarm annunciation (alarm/) -----------------------------------------------------
    void SetSpeakerBackend(SpeakerBackend* backend) { m_alarm.m_speaker.SetBackend(backend); }
    CPcSpeaker& Speaker() { return m_alarm.m_speaker; }
    // The start-up step after the registry load: the stored frequency, tone off.
    void SetUpAlarmTone();
    void AnnunciateAlarms();
    bool ToneSounding() const { return m_alarm.m_iToneSounding != 0; }
    // The operator has acknowledged every alarm raised so far: the tone stays silent while
    // set, and a new alarm clears it. Nothing sets it unless the operator acknowledges.
    void SetAlarmsAcknowledged(bool acknowledged);
    bool AlarmsAcknowledged() const { return m_alarm.m_bAcknowledged; }

    // ---- Adding and deleting units (kiln/CTreeListDoc_Units.cpp) -------------------------
    // Creates the unit of node index 0..253; false, changing nothing, for a slot outside
    // that range or one that already holds a unit.
    bool AddKilnRecord(int farmIndex, int nodeIndex);
    // Removes the unit whose line is itemIndex in the kiln list; nothing for an empty slot.
    void DeleteKilnRecord(int farmIndex, int itemIndex, int nodeIndex);

    // ---- Farms (config/CTreeListDoc_Registry.cpp) --------------------------------------
    FarmRecord& Farm(int farmIndex) { return m_farms[static_cast<std::size_t>(farmIndex & 3)]; }
    const FarmRecord& Farm(int farmIndex) const {
        return m_farms[static_cast<std::size_t>(farmIndex & 3)];
    }
    int CurrentFarmIndex() const { return m_iCurrentFarm; }
    FarmRecord& CurrentFarm() { return Farm(m_iCurrentFarm); }

    // Start-up (app/CTreeListDoc.cpp): loads the registry, probes COM1-COM4 and creates the
    // unit records. Always true.
    bool OnNewDocument();
    // Seams of the farm configuration. Both must outlive the document, whose destruction
    // saves the registry; set them before OnNewDocument. Without them the document uses the
    // platform's registry (the hive file elsewhere than Windows) and the COM devices.
    void SetRegistryBackend(RegistryBackend* backend);
    void SetComPortProbe(ComPortProbe* probe) { m_settings.m_pComPortProbe = probe; }
    // For views that read a value of their own with a RegistryStore.
    RegistryBackend& GetRegistryBackend();
    // Notices about the stored settings for the operator, from the registry backend; empty
    // when there is nothing to say. SettingsReadProblem: why the settings could not be read at
    // the last load, e.g. "the hive /h/registry.reg could not be read (line 3: a key line that
    // is not [KEY])"; the program then runs on defaults and never writes over the store.
    // SettingsSaveProblem: why changes will not be saved, e.g. "the hive ... is read-only".
    std::string SettingsReadProblem() const;
    std::string SettingsSaveProblem() const;
    void ProcessTheRegistry();
    // Writes one farm's edited values; false when its key or one of its values is missing.
    bool PutFarmParameters(const FarmParameters& parameters);
    // The registry save of the program's end; runs once, and only after a load. The
    // destructor calls it.
    void SaveTheRegistry();
    void ProbeComPorts();
    void CreateUnitRecords();
    FarmParameters GetFarmParameters(int farmIndex) const;
    // Flags of COM1-COM4: 1 when the port was available at start-up.
    void GetComPortAvailable(std::span<std::int32_t, 4> flags) const;
    struct ApplicationSettings {
        std::uint32_t m_dwAlarmToneFrequency;
        bool m_bAnnunciationOn;
        std::uint32_t m_dwDisplayBitSet;
    };
    ApplicationSettings GetApplicationSettings() const;
    // Set when a unit is added or deleted, so the end of the program saves the node lists.
    void SetNodeListsChanged() { m_settings.m_bNodeListsChanged = 1; }

    // ---- Transaction scheduler (net/CTreeListDoc_Scheduler.cpp) ------------------------
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
    // The unit's record, which also becomes the farm's selected unit; nullptr, selecting
    // nothing, for a farm outside 0..3, a node index outside 0..253 or an empty slot.
    KilnRecord* GetKilnRecord(int farmIndex, int nodeIndex);
    // The farm has no selected unit any more; a farm outside 0..3 is ignored.
    void ClearSelectedUnit(int farmIndex);

    // ---- Parameter commits (kiln/CTreeListDoc_Commit.cpp) ------------------------------
    CommitList& Commits() { return m_commit; }
    const CommitList& Commits() const { return m_commit; }
    // Prepares a change of the selected unit's operating mode (0 Standby, 4 Run; any other
    // mode commits the image unchanged) and asks the scheduler for a commit. The commit is
    // bound to the image as it is now: the scheduler sends it only while the image is still
    // that unit's reply on the same connection.
    void Apply_3_1(std::int32_t mode);

    // ---- Commit permission (kiln/CTreeListDoc_Commit.cpp) ------------------------------
    // A controller sheet opening for the unit of node index 0..253 on a farm: the unit
    // becomes the farm's selected unit, and the ticket names it with the count of replies
    // received so far.
    SheetTicket OpenSheetTicket(int farmIndex, int nodeIndex);
    // Why the sheet may not commit now; CommitBlock::None when it may.
    CommitBlock SheetCommitBlock(const SheetTicket& sheet) const;
    // Apply from a sheet: the mode's commit is queued only when the sheet may commit; false,
    // queuing nothing, otherwise.
    bool ApplyFromSheet(const SheetTicket& sheet, std::int32_t mode);
    // The line now: the farm connected past its modem stages (or -1) and the connection's
    // number, new at every connection and every disconnection.
    LineConnection LineNow() const;
    const ImageOrigin& RecordImageOrigin() const { return m_kiln.m_imageOrigin; }
    // The last commit frame that went out: its unit, farm and connection, and when.
    const CommitSent& LastCommitSent() const { return m_kiln.m_lastCommitSent; }

private:
    // Tests read the inner state through it.
    friend class DocProbe;

    void SetStatus(const std::string& text);
    std::string StatusSuffix() const;
    void RunConnectStage();
    void RunDisconnectStage();
    void ShowConnectionNotices();
    void ShowConnectedToGroup(int farmIndex);
    void ClearFarmAfterDisconnect(int farmIndex);
    void RunReconnectWait();
    std::string ReconnectText(int farmIndex, int seconds) const;
    void TimeOutStep();
    void AdvanceStep();
    void AdvanceRotation(FarmRecord& farm);
    std::string Text(int englishId, int spanishId) const;

    Language m_language;
    PortWriter* m_pPortWriter = nullptr;
    FrameServices* m_pFrame = nullptr;
    KilnListView* m_pListView = nullptr;
    FarmTreeView* m_pTreeView = nullptr;
    Clock* m_pClock = nullptr;

    std::array<FarmRecord, kFarmCount> m_farms;
    int m_iCurrentFarm = 0;

    RegistryStore& Registry();

    // Application settings from the registry, the registry itself and the COM ports.
    struct SettingsState {
        std::uint32_t m_dwAlarmToneFrequency = 700;
        std::uint32_t m_dwAlarmAnnunciation = 0;
        std::int32_t m_bAnnunciationOn = 0;
        std::uint32_t m_dwDisplayBitSet = 12;
        std::int32_t m_bNodeListsChanged = 0;
        std::array<std::int32_t, 4> m_bComPortAvailable{};
        std::vector<std::uint8_t> m_byNodeIdTransfer = std::vector<std::uint8_t>(kNodeBitmapBytes);
        bool m_bRegistryLoaded = false;
        bool m_bRegistrySaved = false;
        RegistryBackend* m_pRegistryBackend = nullptr;
        std::unique_ptr<RegistryBackend> m_ownedRegistryBackend;
        std::unique_ptr<RegistryStore> m_registry;
        ComPortProbe* m_pComPortProbe = nullptr;
        std::unique_ptr<ComPortProbe> m_ownedComPortProbe;
    } m_settings;

    // Scheduler state: the transaction in progress and the one requested next.
    struct TransactionState {
        std::int32_t m_iTransactionType = TT_NONE;
        std::int32_t m_iNextTransactionType = TT_NONE;
        std::int32_t m_iExpectedReplyBytes = 0;
        std::int32_t m_iScanTarget = 0;
        std::int32_t m_iAttempt = 0;
        std::int32_t m_iRetryCountdown = 0;
        bool m_bStartupScanComplete = true;
        std::int32_t m_iZrmNodeId = 255;
        std::uint16_t m_wStatusTime = 0;
        bool m_bStatusTimeShown = false; // at the line pace: a line showed it this second
        std::int16_t m_nLogTickCounter = 57;
    } m_tx;

    // Link state: the modem connect and disconnect sequences and the port the document opened.
    struct LinkState {
        std::int16_t m_nConnectStage = 0;
        std::int16_t m_nDisconnectStage = 0;
        bool m_bInCommandMode = false;
        std::int32_t m_iDialupTickCount = 0;
        bool m_bConnectedNow = false;
        bool m_bDisconnectedNow = false;
        bool m_bPortOpen = false;
        std::uint8_t m_byFarmToConnectOnStartup = 0;
        std::uint32_t m_dwConnectionNumber = 0; // new at each connection and disconnection
        std::int32_t m_iReconnectSeconds = 0;
        std::int32_t m_iReconnectFarm = -1;
        std::int32_t m_iReconnectCountdown = 0;
    } m_link;

    // Decoding target, the selected unit's last reply and the alarm bitmap.
    struct KilnState {
        KilnRecord m_scratch;
        RecordImageBytes m_byRecordImage{};
        bool m_bImageFilled = false;
        // Which reply of which unit, farm and connection the image holds, and the image a
        // queued commit was prepared on.
        ImageOrigin m_imageOrigin;
        ImageOrigin m_commitOrigin;
        CommitSent m_lastCommitSent;
        std::uint64_t m_qwStatusReplies = 0; // accepted status replies of the program run
        std::array<std::uint32_t, 8> m_dwAlarmBitmap{};
    } m_kiln;

    CommitList m_commit;

    // What the line did with each query, and the readings, for this connection.
    LineHealth m_health;
    TrendStore m_trends;
    bool m_bAttemptRefused = false; // the query in progress already had a reply refused
    ScanPace m_pace;
    std::function<void()> m_lineWake;
    bool TickPacesTransaction() const;
    void NoteLineSent(int requestBytes, int replyBytes);
    void NoteLineAnswered();
    void StartLineRecords();
    void NoteRefusedReply();

    // Outcome of the alarm station's size query.
    struct StationState {
        std::int32_t m_iQuery1State = 0;
        std::uint32_t m_dwQuery1ByteCount = 0;
    } m_station;

    // PC logging: whether a logging cycle is running.
    struct PcLogState {
        bool m_bPcLoggingEnabled = true;
        bool m_bLogCycleActive = false;
        int m_iLogCycleFarm = 0;
        std::string m_strWorkingDirectory;
        std::string m_strPcLogsDirectory;
        bool m_bPcLogsDirectoryAvailable = false;
        std::string m_strPcLoggingOffReason; // empty while the logs have a folder to go to
        std::string m_strLogDescriptor;
        bool m_bDescriptorPromptOpen = false;
        int m_iDescriptorTimeoutSeconds = 600;
        int m_iPromptSeconds = 0;
        // Lines of the cycles run while the prompt is open, stamped when they were read.
        std::vector<std::string> m_heldLines;
        bool m_bHeldCycleRan = false;
        bool m_bHeldLinesFullTold = false;
        int m_iPromptFarm = 0;
        std::uint32_t m_dwPromptConnection = 0;
        // Counts each farm's ended connections, so an answer that comes after its
        // connection ended is recognised.
        std::array<std::uint32_t, kFarmCount> m_dwConnectionSerial{};
        // Set from the naming of a connection's log file until that log is finished.
        std::array<bool, kFarmCount> m_bConnectionLogLive{};
        LogFileHandle m_debugEcho;
    } m_pclog;

    // PC logging (pclog/CTreeListDoc_PcLog.cpp).
    static std::string CurrentWorkingDirectory();
    void SetUpPcLogDirectory(const std::string& workingDirectory);
    std::string LogFilePath(int farmIndex, const LocalDateTime& when) const;
    void BeginLogCycle(int farmIndex);
    void EndLogCycle(int farmIndex);
    void FinishConnectionLog(int farmIndex);
    void WriteDetailLine(int farmIndex, const std::string& text);
    // Opens the prompt's log file, writes the descriptor line and the held lines; true when
    // the log file took them.
    bool WriteDescriptorAndHeldLines(int farmIndex);
    void RunDescriptorTimeout();
    void EndPcLogsAtShutdown();

    // The alarm tone (alarm/CTreeListDoc_Alarm.cpp).
    struct AlarmState {
        CPcSpeaker m_speaker;
        std::int32_t m_iToneSounding = 0;
        bool m_bAcknowledged = false;
    } m_alarm;
    void SilenceAlarmTone();
};
