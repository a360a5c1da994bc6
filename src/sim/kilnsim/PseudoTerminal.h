#pragma once

#include <string>

// A pseudo-terminal whose slave end stands in for a serial port. The master end belongs to
// whoever plays the far end of the line. The slave is set to raw 8-bit mode, and one slave
// descriptor is held open for the life of the object: without it the master would see a hang-up
// every time the program on the slave end closes the port, and a reopened port would find the
// line settings reset.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Creates the pair; false, with Error() telling why, when the system refuses.
    bool Open();
    // Closes the master end, as a far end that goes away; the slave end then reads as gone.
    void CloseMaster();
    void Close();

    bool IsOpen() const { return m_iMasterFd >= 0; }
    // Non-blocking, close-on-exec.
    int MasterFd() const { return m_iMasterFd; }
    const std::string& SlavePath() const { return m_strSlavePath; }
    const std::string& Error() const { return m_strError; }

private:
    bool Fail(const char* what);

    int m_iMasterFd = -1;
    int m_iSlaveHoldFd = -1;
    std::string m_strSlavePath;
    std::string m_strError;
};
