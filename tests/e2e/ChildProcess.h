#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

// A program started by a test, with its standard output (and error) captured. Whatever happens
// to the test, the program does not outlive it: the destructor kills it, and the kernel kills
// it should the test process itself die.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] with the extra environment given, in the folder given (empty: this one).
    bool Start(const std::vector<std::string>& argv,
               const std::map<std::string, std::string>& environment = {},
               const std::string& workingDirectory = {});

    // Reads what the program wrote until the time given has passed or until it ends.
    void ReadFor(std::chrono::milliseconds duration);
    // Reads until the output holds text, the program ends or the time is up.
    bool ReadUntil(const std::string& text, std::chrono::milliseconds timeout);

    void Signal(int signalNumber);
    // The exit status once the program has ended within the time given; -1 otherwise (and for
    // a program ended by a signal).
    int Wait(std::chrono::milliseconds timeout);
    bool Running() const { return m_iPid > 0 && !m_bReaped; }

    const std::string& Output() const { return m_strOutput; }

private:
    void ReadAvailable(int timeoutMs);
    void Kill();

    int m_iPid = -1;
    int m_iOutFd = -1;
    bool m_bReaped = false;
    int m_iStatus = -1;
    std::string m_strOutput;
};
