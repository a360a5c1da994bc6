// kilnsim: a simulated farm on a pseudo-terminal, for demonstrations, training and tests.

#include "sim/Farm.h"
#include "sim/kilnsim/DeviceLink.h"
#include "sim/kilnsim/FarmLinePump.h"
#include "sim/kilnsim/KilnsimOptions.h"
#include "sim/kilnsim/PseudoTerminal.h"
#include "sim/kilnsim/ZrmLogFile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <poll.h>

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void OnStopSignal(int signal) {
    g_stopSignal = signal;
}

std::int64_t MonotonicMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// SIGINT and SIGTERM stay blocked except inside ppoll, so a signal can never slip in between
// the check of the flag and the wait.
bool InstallSignals(sigset_t& waitMask) {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0 &&
           ::sigaction(SIGPIPE, &ignore, nullptr) == 0 &&
           ::sigprocmask(SIG_BLOCK, &blocked, &waitMask) == 0;
}

void Report(const char* format, const std::string& text) {
    std::printf(format, text.c_str());
    std::fflush(stdout);
}

void ReportTraffic(const farmsim::Farm& farm, const FarmLinePump& pump) {
    const farmsim::FarmCounters& c = farm.Counters();
    std::printf("kilnsim: %lld s: %llu bytes in, %llu out, %llu replies due, %llu silenced, "
                "%llu noise, %llu dropped; carrier %s\n",
                static_cast<long long>(farm.NowMs() / 1000),
                static_cast<unsigned long long>(pump.GetCounters().bytesIn),
                static_cast<unsigned long long>(pump.GetCounters().bytesOut),
                static_cast<unsigned long long>(c.repliesDue),
                static_cast<unsigned long long>(c.silenced),
                static_cast<unsigned long long>(c.noise),
                static_cast<unsigned long long>(pump.GetCounters().bytesDropped),
                farm.Carrier() ? "up" : "down");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    KilnsimOptions options;
    std::string error;
    if (!KilnsimOptions::Parse(argc, argv, options, error)) {
        std::fprintf(stderr, "kilnsim: %s\nTry 'kilnsim --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(KilnsimOptions::Usage().c_str(), stdout);
        return 0;
    }

    farmsim::Farm farm(options.farm);
    for (const std::string& warning : farm.ConfigWarnings()) {
        std::fprintf(stderr, "kilnsim: %s\n", warning.c_str());
    }

    sigset_t waitMask;
    if (!InstallSignals(waitMask)) {
        std::perror("kilnsim: signals");
        return 1;
    }

    PseudoTerminal line;
    if (!line.Open()) {
        std::fprintf(stderr, "kilnsim: cannot make the line: %s\n", line.Error().c_str());
        return 1;
    }
    DeviceLink link;
    if (!options.linkPath.empty() && !link.Create(options.linkPath, line.SlavePath())) {
        std::fprintf(stderr, "kilnsim: %s\n", link.Error().c_str());
        return 1;
    }
    std::optional<ZrmLogFile> zrmLog;
    if (!options.zrmLogPath.empty()) {
        zrmLog.emplace(options.zrmLogPath);
        if (!zrmLog->Write({})) {
            std::fprintf(stderr, "kilnsim: %s\n", zrmLog->Error().c_str());
            return 1;
        }
    }

    Report("kilnsim: serial line on %s\n", line.SlavePath());
    if (!options.linkPath.empty()) {
        Report("kilnsim: linked as %s\n", options.linkPath);
    }
    std::printf("kilnsim: %zu units%s%s; Ctrl-C ends\n", farm.Units().size(),
                farm.Zrm() != nullptr ? ", alarm station at 255" : "",
                farm.Modem() != nullptr ? ", modem in front" : "");
    std::fflush(stdout);

    FarmLinePump pump(farm, line.MasterFd(), options.fifoTrigger);
    const std::int64_t startMs = MonotonicMs();
    std::int64_t nextReportMs = 10000;
    std::int64_t nextLogWriteMs = 60000;
    int status = 0;

    while (g_stopSignal == 0) {
        const std::int64_t nowMs = MonotonicMs() - startMs;
        if (!pump.Service(nowMs)) {
            std::fprintf(stderr, "kilnsim: the line failed: %s\n", pump.Error().c_str());
            status = 1;
            break;
        }
        if (options.verbose && nowMs >= nextReportMs) {
            ReportTraffic(farm, pump);
            nextReportMs += 10000;
        }
        if (zrmLog && nowMs >= nextLogWriteMs) {
            if (!zrmLog->Update(farm.Zrm()->LogBytes())) {
                std::fprintf(stderr, "kilnsim: %s\n", zrmLog->Error().c_str());
            }
            nextLogWriteMs += 60000;
        }

        std::int64_t wakeMs = pump.NextWakeMs(nowMs);
        if (zrmLog) {
            wakeMs = std::min(wakeMs, nextLogWriteMs);
        }
        const std::int64_t waitMs = std::clamp<std::int64_t>(wakeMs - nowMs, 0, 1000);
        pollfd master{line.MasterFd(), POLLIN, 0};
        if (pump.OutputBlocked()) {
            master.events |= POLLOUT;
        }
        const timespec timeout{static_cast<time_t>(waitMs / 1000),
                               static_cast<long>((waitMs % 1000) * 1000000)};
        const int ready = ::ppoll(&master, 1, &timeout, &waitMask);
        if (ready < 0 && errno != EINTR) {
            std::perror("kilnsim: ppoll");
            status = 1;
            break;
        }
        if (ready > 0 && (master.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            std::fprintf(stderr, "kilnsim: the line failed\n");
            status = 1;
            break;
        }
    }

    if (zrmLog && farm.Zrm() != nullptr && !zrmLog->Write(farm.Zrm()->LogBytes())) {
        std::fprintf(stderr, "kilnsim: %s\n", zrmLog->Error().c_str());
        status = 1;
    }
    link.Remove();
    if (g_stopSignal != 0) {
        std::printf("kilnsim: stopped by %s after %lld s\n",
                    g_stopSignal == SIGINT ? "SIGINT" : "SIGTERM",
                    static_cast<long long>((MonotonicMs() - startMs) / 1000));
    }
    std::fflush(stdout);
    return status;
}
