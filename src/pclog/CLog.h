#pragma once

#include "pclog/LogFileHandle.h"

#include <string>

class Clock;

// The PC log writer of one farm: the log file of the current connection and its mirror, a
// file of fixed name that always holds the lines of the connection's latest log file so
// another program can follow it. Lines end in CR LF on every platform.
class CLog {
public:
    CLog() = default;

    void lOGfILE_fILEnAME_pUT(const std::string& fileName);
    void SetMirrorFileName(const std::string& fileName) { m_strMirrorFileName = fileName; }
    // Where the time stamps of the lines come from; without a clock, stamped lines are not
    // written.
    void SetClock(const Clock* clock) { m_pClock = clock; }

    // Opens the log file (kept content, moved to its end, hidden while new) and, when asked,
    // the mirror (emptied). True when the log file is open afterwards; the mirror's fate does
    // not change the result.
    bool lOGfILE_oPEN(bool openLogFile, bool openMirror);
    // Closing the mirror ends the connection's files: the mirror is deleted (when this writer
    // held it) and the log file becomes visible.
    void lOGfILE_cLOSE(bool closeLogFile, bool closeMirror);
    // Writes one line (the date and time stamp first, when asked) to each file that is open,
    // so a mirror that could not be opened costs no line of the log file, and the other way
    // round. An empty text writes nothing. True when the line reached the log file.
    bool lOGmESSAGE(bool withTimeStamp, const std::string& text);
    // Writes line as it stands (an empty one too) with CR LF, to each file that is open: the
    // descriptor line, and lines stamped earlier and held back. True when it reached the log
    // file.
    bool WriteLine(const std::string& line);
    // Makes the named log file read-only: the finished record of a connection.
    void MarkReadOnly();

    bool IsLogFileOpen() const { return m_bLogFileOpen; }
    bool IsMirrorOpen() const { return m_bMirrorFileOpen; }
    const std::string& LogFileName() const { return m_strLogFileName; }
    const std::string& MirrorFileName() const { return m_strMirrorFileName; }

private:
    bool m_bLogFileOpen = false;
    bool m_bMirrorFileOpen = false;
    LogFileHandle m_logFile;
    LogFileHandle m_mirrorFile;
    std::string m_strLogFileName;
    std::string m_strMirrorFileName;
    const Clock* m_pClock = nullptr;
};
