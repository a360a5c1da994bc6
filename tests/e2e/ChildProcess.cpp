#include "ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

ChildProcess::~ChildProcess() {
    Kill();
}

bool ChildProcess::Start(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& environment,
                         const std::string& workingDirectory) {
    if (argv.empty() || m_iPid > 0) {
        return false;
    }
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return false;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return false;
    }
    if (pid == 0) {
        // Dies with the test, even when the test is killed.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) {
            ::_exit(127);
        }
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::dup2(pipeFds[1], STDERR_FILENO);
        const int devNull = ::open("/dev/null", O_RDONLY);
        if (devNull >= 0) {
            ::dup2(devNull, STDIN_FILENO);
        }
        for (const auto& [name, value] : environment) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0) {
            ::_exit(126);
        }
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    m_iOutFd = pipeFds[0];
    ::fcntl(m_iOutFd, F_SETFL, ::fcntl(m_iOutFd, F_GETFL) | O_NONBLOCK);
    m_iPid = pid;
    return true;
}

void ChildProcess::ReadAvailable(int timeoutMs) {
    if (m_iOutFd < 0) {
        return;
    }
    pollfd p{m_iOutFd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) {
        return;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_iOutFd, buffer, sizeof buffer);
        if (n > 0) {
            m_strOutput.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) {
            ::close(m_iOutFd);
            m_iOutFd = -1;
        }
        return;
    }
}

void ChildProcess::ReadFor(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    while (m_iOutFd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        ReadAvailable(static_cast<int>(std::min<long long>(left.count(), 200)));
    }
}

bool ChildProcess::ReadUntil(const std::string& text, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (m_strOutput.find(text) == std::string::npos) {
        if (m_iOutFd < 0 || std::chrono::steady_clock::now() >= end) {
            return false;
        }
        ReadAvailable(50);
    }
    return true;
}

void ChildProcess::Signal(int signalNumber) {
    if (Running()) {
        ::kill(m_iPid, signalNumber);
    }
}

int ChildProcess::Wait(std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!m_bReaped && m_iPid > 0) {
        int status = 0;
        const pid_t done = ::waitpid(m_iPid, &status, WNOHANG);
        if (done == m_iPid) {
            m_bReaped = true;
            m_iStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return -1;
        }
        ReadAvailable(20);
    }
    ReadAvailable(0);
    return m_bReaped ? m_iStatus : -1;
}

void ChildProcess::Kill() {
    if (Running()) {
        ::kill(m_iPid, SIGKILL);
        int status = 0;
        ::waitpid(m_iPid, &status, 0);
        m_bReaped = true;
    }
    if (m_iOutFd >= 0) {
        ::close(m_iOutFd);
        m_iOutFd = -1;
    }
}
