#include "pclog/CLog.h"

#include "app/Clock.h"
#include "base/FileAttributes.h"
#include "pclog/LogText.h"

#include <filesystem>
#include <system_error>

void CLog::lOGfILE_fILEnAME_pUT(const std::string& fileName) {
    m_strLogFileName = fileName;
}

bool CLog::lOGfILE_oPEN(bool openLogFile, bool openMirror) {
    if (m_bLogFileOpen) {
        return true;
    }
    if (!openLogFile || m_strLogFileName.empty()) {
        return false;
    }
    std::error_code error;
    const bool existed = std::filesystem::exists(m_strLogFileName, error);
    if (!m_logFile.Open(m_strLogFileName, LogFileHandle::Sharing::Exclusive, false)) {
        return false;
    }
    if (!existed) {
        // Windows sets the attribute on a closed file only.
        m_logFile.Close();
        FileAttributes::setHidden(m_strLogFileName, true);
        if (!m_logFile.Open(m_strLogFileName, LogFileHandle::Sharing::Exclusive, false)) {
            return false;
        }
    }
    m_bLogFileOpen = true;

    if (openMirror) {
        // A new log file restarts the mirror, even one left open by a connection that ended
        // without its files being closed.
        m_mirrorFile.Close();
        m_bMirrorFileOpen =
            m_mirrorFile.Open(m_strMirrorFileName, LogFileHandle::Sharing::DenyWrite, true);
    }
    return true;
}

void CLog::lOGfILE_cLOSE(bool closeLogFile, bool closeMirror) {
    if (closeLogFile && m_bLogFileOpen) {
        m_logFile.Close();
        m_bLogFileOpen = false;
    }
    if (!closeMirror) {
        return;
    }
    if (m_bMirrorFileOpen) {
        m_mirrorFile.Close();
        m_bMirrorFileOpen = false;
        std::error_code error;
        std::filesystem::remove(m_strMirrorFileName, error);
    }
    // Also when the mirror never opened: a finished log must not stay hidden. A mirror we do
    // not hold belongs to someone else and is left alone.
    FileAttributes::setHidden(m_strLogFileName, false);
}

bool CLog::lOGmESSAGE(bool withTimeStamp, const std::string& text) {
    if (text.empty() || (!m_bLogFileOpen && !m_bMirrorFileOpen)) {
        return false;
    }
    std::string line;
    if (withTimeStamp) {
        if (m_pClock == nullptr) {
            return false;
        }
        line = LogLineTimeStamp(m_pClock->Now());
    }
    line += text;
    return WriteLine(line);
}

bool CLog::WriteLine(const std::string& line) {
    const std::string text = line + "\r\n";
    bool logged = false;
    if (m_bLogFileOpen) {
        logged = m_logFile.Write(text);
    }
    if (m_bMirrorFileOpen) {
        m_mirrorFile.Write(text);
    }
    return logged;
}

void CLog::MarkReadOnly() {
    FileAttributes::setReadOnly(m_strLogFileName);
}
