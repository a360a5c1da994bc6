// PC log files of the connected farm: one CSV file per connection, opened for each logging
// cycle and closed once every unit of the cycle has been handled, with a mirror that follows
// it for the whole connection.

#include "app/CTreeListDoc.h"
#include "app/Clock.h"
#include "app/FrameServices.h"
#include "app/StringTable.h"
#include "pclog/LogText.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace {

constexpr const char* kPcLogsDirectoryName = "PC_Logs";

// Tries a new file there and takes it away again: permissions alone do not show a read-only
// mount or a full quota.
bool FolderTakesNewFiles(const std::filesystem::path& folder) {
    std::random_device random;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::filesystem::path probe =
            folder / (".kilnwatch-write-test-" + std::to_string(random()));
        std::FILE* file = std::fopen(probe.string().c_str(), "wx");
        if (file != nullptr) {
            std::fclose(file);
            std::error_code error;
            std::filesystem::remove(probe, error);
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

bool ValidFarm(int farmIndex) {
    return farmIndex >= 0 && farmIndex < kFarmCount;
}

} // namespace

std::string CTreeListDoc::CurrentWorkingDirectory() {
    // No length limit: a deep working directory gets its logs like any other.
    std::error_code error;
    const std::filesystem::path path = std::filesystem::current_path(error);
    return error ? std::string() : path.string();
}

void CTreeListDoc::SetUpPcLogDirectory(const std::string& workingDirectory) {
    namespace fs = std::filesystem;
    PcLogState& state = m_pclog;
    state.m_strWorkingDirectory = workingDirectory;
    state.m_bPcLogsDirectoryAvailable = false;
    state.m_strPcLoggingOffReason.clear();
    const fs::path base(workingDirectory);
    const fs::path directory = base / kPcLogsDirectoryName;
    if (!workingDirectory.empty()) {
        state.m_strPcLogsDirectory = directory.string();
        std::error_code error;
        state.m_bPcLogsDirectoryAvailable =
            fs::is_directory(directory, error) || fs::create_directory(directory, error);
        // Without PC_Logs the logs go to the working folder itself.
        if (!state.m_bPcLogsDirectoryAvailable && !FolderTakesNewFiles(base)) {
            state.m_strPcLoggingOffReason =
                "the folder " + directory.string() + " cannot be made (" +
                (error ? error.message() : "a file is in the way") + ") and the working folder " +
                workingDirectory + " cannot be written";
        } else if (state.m_bPcLogsDirectoryAvailable && !FolderTakesNewFiles(directory)) {
            state.m_strPcLoggingOffReason =
                "the folder " + directory.string() + " cannot be written";
        }
    } else {
        state.m_strPcLoggingOffReason = "the working folder is unknown";
    }
    // The mirror keeps its place in PC_Logs even when the logs themselves cannot go there;
    // it then fails to open and the log file carries every line alone.
    const std::string mirror =
        (directory / (Text(IDS_MIRROR_FILE_NAME, IDS_MIRROR_FILE_NAME_ES) + ".CSV")).string();
    for (FarmRecord& farm : m_farms) {
        farm.m_log.SetMirrorFileName(mirror);
    }
#if defined(_WIN32)
    // The debug echo file of the Windows program: opened, never written.
    state.m_debugEcho.Open("E:\\X\\Debug.TXT", LogFileHandle::Sharing::DenyWrite, true);
#endif
}

std::string CTreeListDoc::LogFilePath(int farmIndex, const LocalDateTime& when) const {
    namespace fs = std::filesystem;
    const std::string leaf = LogFileLeafName(farmIndex + 1, when);
    if (m_pclog.m_bPcLogsDirectoryAvailable) {
        return (fs::path(m_pclog.m_strPcLogsDirectory) / leaf).string();
    }
    // The program's own directory, as the working directory stood when the program started.
    if (!m_pclog.m_strWorkingDirectory.empty()) {
        return (fs::path(m_pclog.m_strWorkingDirectory) / leaf).string();
    }
    return (fs::path(".") / leaf).string();
}

void CTreeListDoc::StartLogCycle(int farmIndex) {
    if (!ValidFarm(farmIndex)) {
        return;
    }
    if (m_pclog.m_bDescriptorPromptOpen) {
        // The file the prompt is about is not written yet: the cycle's lines are held for it.
        if (farmIndex == m_pclog.m_iPromptFarm) {
            BeginLogCycle(farmIndex);
            m_pclog.m_bHeldCycleRan = true;
        }
        return;
    }
    FarmRecord& farm = Farm(farmIndex);
    farm.m_log.SetClock(m_pClock);
    if (farm.m_bPcLogNeeded) {
        if (m_pClock == nullptr) {
            return; // no time stamp for a name: the next cycle tries again
        }
        // Only one farm is connected at a time, so any log still live belongs to a connection
        // whose link went without an orderly end.
        for (int i = 0; i < kFarmCount; ++i) {
            if (m_pclog.m_bConnectionLogLive[static_cast<std::size_t>(i)]) {
                FinishConnectionLog(i);
            }
        }
        farm.m_log.lOGfILE_fILEnAME_pUT(LogFilePath(farmIndex, m_pClock->Now()));
        m_pclog.m_bConnectionLogLive[static_cast<std::size_t>(farmIndex)] = true;
        m_pclog.m_bDescriptorPromptOpen = true;
        m_pclog.m_iPromptFarm = farmIndex;
        m_pclog.m_dwPromptConnection = m_pclog.m_dwConnectionSerial[std::size_t(farmIndex)];
        m_pclog.m_iPromptSeconds = 0;
        m_pclog.m_heldLines.clear();
        m_pclog.m_bHeldCycleRan = false;
        m_pclog.m_bHeldLinesFullTold = false;
        if (m_pFrame != nullptr) {
            // The answer may come back before this returns.
            m_pFrame->AskLogDescriptor(*this, m_pclog.m_strLogDescriptor);
        } else {
            OnLogDescriptorAnswered(false, std::string());
        }
        // Still open: this minute's readings are held until the operator answers.
        if (m_pclog.m_bDescriptorPromptOpen) {
            BeginLogCycle(farmIndex);
            m_pclog.m_bHeldCycleRan = true;
        }
        return;
    }
    if (farm.m_log.lOGfILE_oPEN(true, false)) {
        BeginLogCycle(farmIndex);
    }
}

bool CTreeListDoc::WriteDescriptorAndHeldLines(int farmIndex) {
    FarmRecord& farm = Farm(farmIndex);
    farm.m_log.SetClock(m_pClock);
    const bool opened = farm.m_log.lOGfILE_oPEN(true, true);
    if (opened) {
        farm.m_log.lOGmESSAGE(false, m_pclog.m_strLogDescriptor);
        for (const std::string& line : m_pclog.m_heldLines) {
            farm.m_log.WriteLine(line);
        }
    }
    m_pclog.m_heldLines.clear();
    m_pclog.m_heldLines.shrink_to_fit();
    farm.m_bPcLogNeeded = 0;
    return opened;
}

void CTreeListDoc::OnLogDescriptorAnswered(bool confirmed, const std::string& text) {
    if (!m_pclog.m_bDescriptorPromptOpen) {
        return;
    }
    m_pclog.m_bDescriptorPromptOpen = false;
    if (confirmed) {
        m_pclog.m_strLogDescriptor = text;
    }
    const int farmIndex = m_pclog.m_iPromptFarm;
    FarmRecord& farm = Farm(farmIndex);
    // The connection the prompt was opened for may have ended while it was shown; its held
    // lines were written when it ended. A new connection asks again at its own first cycle.
    if (!farm.m_bFarmIsConnected ||
        m_pclog.m_dwConnectionSerial[static_cast<std::size_t>(farmIndex)] !=
            m_pclog.m_dwPromptConnection) {
        m_pclog.m_heldLines.clear();
        return;
    }
    const bool heldCycleRan = m_pclog.m_bHeldCycleRan;
    m_pclog.m_bHeldCycleRan = false;
    const bool opened = WriteDescriptorAndHeldLines(farmIndex);
    if (!opened) {
        m_pclog.m_bLogCycleActive = false;
        return;
    }
    if (m_pclog.m_bLogCycleActive) {
        return; // the cycle under way goes on, now into the file
    }
    if (heldCycleRan) {
        // This minute was logged already; the next cycle comes at its usual tick.
        farm.m_log.lOGfILE_cLOSE(true, false);
        return;
    }
    BeginLogCycle(farmIndex);
}

void CTreeListDoc::WriteDetailLine(int farmIndex, const std::string& text) {
    FarmRecord& farm = Farm(farmIndex);
    if (m_pclog.m_bDescriptorPromptOpen && farmIndex == m_pclog.m_iPromptFarm) {
        if (m_pClock == nullptr) {
            return;
        }
        if (m_pclog.m_heldLines.size() >= kMaxHeldLogLines) {
            if (!m_pclog.m_bHeldLinesFullTold) {
                m_pclog.m_bHeldLinesFullTold = true;
                char notice[256];
                std::snprintf(notice, sizeof notice,
                              StringTable::Text(m_language, IDS_HELD_LOG_LINES_FULL).c_str(),
                              static_cast<unsigned>(kMaxHeldLogLines));
                SetStatus(notice);
            }
            return;
        }
        m_pclog.m_heldLines.push_back(LogLineTimeStamp(m_pClock->Now()) + text);
        return;
    }
    farm.m_log.SetClock(m_pClock);
    farm.m_log.lOGmESSAGE(true, text);
}

void CTreeListDoc::RunDescriptorTimeout() {
    if (!m_pclog.m_bDescriptorPromptOpen || m_pclog.m_iDescriptorTimeoutSeconds <= 0) {
        return;
    }
    if (++m_pclog.m_iPromptSeconds < m_pclog.m_iDescriptorTimeoutSeconds) {
        return;
    }
    // Nobody at the PC: the log goes on as when the prompt is closed without OK, rather than
    // waiting. The frame's prompt, closed, answers so; a frame that does not is answered here.
    if (m_pFrame != nullptr) {
        m_pFrame->CloseLogDescriptor();
    }
    OnLogDescriptorAnswered(false, std::string());
}

void CTreeListDoc::BeginLogCycle(int farmIndex) {
    FarmRecord& farm = Farm(farmIndex);
    m_pclog.m_bLogCycleActive = true;
    m_pclog.m_iLogCycleFarm = farmIndex;
    farm.m_nLoggedNodes = 0;
    for (int nodeIndex = 0; nodeIndex < kUnitSlotCount; ++nodeIndex) {
        const auto i = static_cast<std::size_t>(nodeIndex);
        farm.m_bPcLogNode[i] = farm.m_bNodeConfigured[i] ? 1 : 0;
        farm.m_nLoggedNodes += farm.m_bPcLogNode[i];
    }
}

void CTreeListDoc::EndLogCycle(int farmIndex) {
    Farm(farmIndex).m_log.lOGfILE_cLOSE(true, false);
    m_pclog.m_bLogCycleActive = false;
}

void CTreeListDoc::lOGdETAILlINE(bool force, int farmIndex, int nodeId) {
    if (!ValidFarm(farmIndex)) {
        return;
    }
    FarmRecord& farm = Farm(farmIndex);
    if (farm.m_nLoggedNodes <= 0) {
        farm.m_nLoggedNodes = 0;
        EndLogCycle(farmIndex);
        return;
    }
    if (nodeId < 1 || nodeId > kUnitSlotCount) {
        return;
    }
    std::int32_t& pending = farm.m_bPcLogNode[static_cast<std::size_t>(nodeId - 1)];
    if (!pending) {
        return;
    }
    const KilnRecord& record = ScratchRecord();
    const bool lineDue = record.m_iCuringMethod != 0 && record.m_iUnitStatus == US_RUN;
    // Retries still to come may bring the reading: until then the unit stays pending.
    const bool settled = m_tx.m_iRetryCountdown == 0;
    if (lineDue && settled) {
        WriteDetailLine(farmIndex, DetailLineText(nodeId, record));
    }
    if (settled || force) {
        pending = 0;
        if (--farm.m_nLoggedNodes <= 0) {
            farm.m_nLoggedNodes = 0;
            EndLogCycle(farmIndex);
        }
    }
}

void CTreeListDoc::FinishConnectionLog(int farmIndex) {
    const auto i = static_cast<std::size_t>(farmIndex);
    CLog& log = Farm(farmIndex).m_log;
    log.lOGfILE_cLOSE(true, true);
    log.MarkReadOnly();
    m_pclog.m_bConnectionLogLive[i] = false;
    ++m_pclog.m_dwConnectionSerial[i];
}

void CTreeListDoc::EndConnectionLog(int farmIndex) {
    if (!ValidFarm(farmIndex)) {
        return;
    }
    // A connection that ends under the prompt keeps what it read: its lines go to its file as
    // when the prompt is closed without OK, and the prompt, now about nothing, is taken away.
    if (m_pclog.m_bDescriptorPromptOpen && farmIndex == m_pclog.m_iPromptFarm &&
        m_pclog.m_dwConnectionSerial[static_cast<std::size_t>(farmIndex)] ==
            m_pclog.m_dwPromptConnection) {
        m_pclog.m_bDescriptorPromptOpen = false;
        m_pclog.m_bHeldCycleRan = false;
        if (!m_pclog.m_heldLines.empty()) {
            WriteDescriptorAndHeldLines(farmIndex);
        }
        m_pclog.m_heldLines.clear();
        if (m_pFrame != nullptr) {
            m_pFrame->CloseLogDescriptor();
        }
    }
    FinishConnectionLog(farmIndex);
    m_pclog.m_bLogCycleActive = false;
}

void CTreeListDoc::EndPcLogsAtShutdown() {
    m_pclog.m_bDescriptorPromptOpen = false;
    for (int i = 0; i < kFarmCount; ++i) {
        const CLog& log = Farm(i).m_log;
        if (m_pclog.m_bConnectionLogLive[static_cast<std::size_t>(i)] || log.IsLogFileOpen() ||
            log.IsMirrorOpen()) {
            FinishConnectionLog(i);
        }
    }
    m_pclog.m_bLogCycleActive = false;
}
