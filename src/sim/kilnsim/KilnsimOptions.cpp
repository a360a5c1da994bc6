#include "sim/kilnsim/KilnsimOptions.h"

#include "sim/Farm.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

namespace {

using NodeSet = std::set<int>;

constexpr int kFirstUnit = 1;
constexpr int kLastUnit = 254;

std::optional<long long> ParseInteger(std::string_view text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseRate(std::string_view text) {
    // strtod would accept "nan", hex floats and locale quirks; a rate is plain decimal.
    if (text.empty() || text.size() > 32 ||
        text.find_first_not_of("0123456789.") != std::string_view::npos) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(value) ||
        value < 0.0 || value > 1.0) {
        return std::nullopt;
    }
    return value;
}

// "3,5,9", "1-254", "all" (every unit of --units, resolved later as an empty optional).
bool ParseNodeList(std::string_view text, std::optional<NodeSet>& out, std::string& error) {
    if (text == "all") {
        out.reset();
        return true;
    }
    NodeSet nodes;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = text.substr(start, comma - start);
        const std::size_t dash = item.find('-');
        const auto first = ParseInteger(item.substr(0, dash));
        const auto last =
            dash == std::string_view::npos ? first : ParseInteger(item.substr(dash + 1));
        if (!first || !last || *first > *last || *first < kFirstUnit || *last > kLastUnit) {
            error = "'" + std::string(item) + "' is not a node ID or range of 1 to 254";
            return false;
        }
        for (long long node = *first; node <= *last; ++node) {
            nodes.insert(static_cast<int>(node));
        }
        start = comma + 1;
    }
    out = std::move(nodes);
    return true;
}

bool ParseMode(std::string_view text, farmsim::Mode& mode) {
    if (text == "standby") {
        mode = farmsim::Mode::Standby;
    } else if (text == "run") {
        mode = farmsim::Mode::Run;
    } else if (text == "setup") {
        mode = farmsim::Mode::Setup;
    } else {
        return false;
    }
    return true;
}

bool ParseScenario(std::string_view text, farmsim::AlarmScenario& scenario) {
    using farmsim::AlarmScenario;
    static const std::array<std::pair<std::string_view, AlarmScenario>, 5> kNames = {{
        {"none", AlarmScenario::None},
        {"high", AlarmScenario::ForceHigh},
        {"low", AlarmScenario::ForceLow},
        {"heater-stuck", AlarmScenario::HeaterStuckOn},
        {"heater-failed", AlarmScenario::HeaterFailed},
    }};
    for (const auto& [name, value] : kNames) {
        if (text == name) {
            scenario = value;
            return true;
        }
    }
    return false;
}

double* FaultRate(farmsim::FaultRates& rates, std::string_view name) {
    if (name == "silence") {
        return &rates.silence;
    }
    if (name == "bad-checksum") {
        return &rates.badChecksum;
    }
    if (name == "missing-byte") {
        return &rates.missingByte;
    }
    if (name == "extra-byte") {
        return &rates.extraByte;
    }
    if (name == "noise") {
        return &rates.noise;
    }
    if (name == "late") {
        return &rates.late;
    }
    if (name == "carrier-loss") {
        return &rates.carrierLoss;
    }
    return nullptr;
}

// Splits "LEFT=RIGHT"; false without '='.
bool SplitAssignment(std::string_view text, std::string_view& left, std::string_view& right) {
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
        return false;
    }
    left = text.substr(0, eq);
    right = text.substr(eq + 1);
    return true;
}

struct Pending {
    NodeSet units = {1, 2, 3, 4, 5, 6, 7, 8};
    farmsim::Mode defaultMode = farmsim::Mode::Run;
    std::vector<std::pair<std::optional<NodeSet>, farmsim::Mode>> modes;
    std::optional<NodeSet> centigrade = NodeSet{};
    std::optional<NodeSet> silent = NodeSet{};
    struct Alarm {
        std::optional<NodeSet> nodes;
        farmsim::AlarmScenario scenario;
        std::int64_t fromMs;
    };
    std::vector<Alarm> alarms;
};

bool Covers(const std::optional<NodeSet>& nodes, int node) {
    return !nodes || nodes->count(node) != 0;
}

// Every unit a list names must be one of the farm's units.
bool CheckKnown(const std::optional<NodeSet>& nodes, const NodeSet& units, const char* option,
                std::string& error) {
    if (!nodes) {
        return true;
    }
    for (int node : *nodes) {
        if (units.count(node) == 0) {
            error = std::string(option) + " names unit " + std::to_string(node) +
                    ", which is not in --units";
            return false;
        }
    }
    return true;
}

} // namespace

bool KilnsimOptions::Parse(int argc, const char* const* argv, KilnsimOptions& out,
                           std::string& error) {
    KilnsimOptions options;
    Pending pending;

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] != nullptr ? argv[i] : "";
        const auto value = [&](std::string_view& v) {
            if (i + 1 >= argc || argv[i + 1] == nullptr) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            v = argv[++i];
            return true;
        };
        std::string_view v;

        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
        } else if (arg == "--modem") {
            options.farm.modem.present = true;
        } else if (arg == "--modem-no-answer") {
            options.farm.modem.present = true;
            options.farm.modem.neverAnswers = true;
        } else if (arg == "--no-zrm") {
            options.farm.zrmPresent = false;
        } else if (arg == "--units") {
            std::optional<NodeSet> nodes;
            if (!value(v) || !ParseNodeList(v, nodes, error)) {
                return false;
            }
            if (!nodes) {
                nodes = NodeSet{};
                for (int node = kFirstUnit; node <= kLastUnit; ++node) {
                    nodes->insert(node);
                }
            }
            pending.units = *nodes;
        } else if (arg == "--centigrade") {
            if (!value(v) || !ParseNodeList(v, pending.centigrade, error)) {
                return false;
            }
        } else if (arg == "--silent") {
            if (!value(v) || !ParseNodeList(v, pending.silent, error)) {
                return false;
            }
        } else if (arg == "--mode") {
            if (!value(v)) {
                return false;
            }
            std::string_view list;
            std::string_view name;
            farmsim::Mode mode{};
            if (!SplitAssignment(v, list, name)) {
                if (!ParseMode(v, mode)) {
                    error = "unknown mode '" + std::string(v) + "' (standby, run or setup)";
                    return false;
                }
                pending.defaultMode = mode;
                continue;
            }
            std::optional<NodeSet> nodes;
            if (!ParseNodeList(list, nodes, error)) {
                return false;
            }
            if (!ParseMode(name, mode)) {
                error = "unknown mode '" + std::string(name) + "' (standby, run or setup)";
                return false;
            }
            pending.modes.emplace_back(nodes, mode);
        } else if (arg == "--alarm") {
            if (!value(v)) {
                return false;
            }
            std::string_view list;
            std::string_view rest;
            if (!SplitAssignment(v, list, rest)) {
                error = "--alarm takes UNITS=KIND[@SECONDS], e.g. 5=high@60";
                return false;
            }
            Pending::Alarm alarm{};
            if (!ParseNodeList(list, alarm.nodes, error)) {
                return false;
            }
            const std::size_t at = rest.find('@');
            if (!ParseScenario(rest.substr(0, at), alarm.scenario)) {
                error = "unknown alarm '" + std::string(rest.substr(0, at)) +
                        "' (none, high, low, heater-stuck, heater-failed)";
                return false;
            }
            alarm.fromMs = 0;
            if (at != std::string_view::npos) {
                const auto seconds = ParseInteger(rest.substr(at + 1));
                if (!seconds || *seconds < 0 || *seconds > 10LL * 365 * 24 * 3600) {
                    error = "'" + std::string(rest.substr(at + 1)) + "' is not a number of seconds";
                    return false;
                }
                alarm.fromMs = *seconds * 1000;
            }
            pending.alarms.push_back(alarm);
        } else if (arg == "--fault") {
            if (!value(v)) {
                return false;
            }
            std::string_view name;
            std::string_view rateText;
            double* rate = nullptr;
            if (!SplitAssignment(v, name, rateText) ||
                (rate = FaultRate(options.farm.faults, name)) == nullptr) {
                error = "--fault takes KIND=RATE with KIND one of silence, bad-checksum, "
                        "missing-byte, extra-byte, noise, late, carrier-loss";
                return false;
            }
            const auto parsed = ParseRate(rateText);
            if (!parsed) {
                error = "'" + std::string(rateText) + "' is not a rate from 0 to 1";
                return false;
            }
            *rate = *parsed;
        } else if (arg == "--seed") {
            const auto seed = value(v) ? ParseInteger(v) : std::nullopt;
            if (!seed || *seed < 0) {
                if (error.empty()) {
                    error = "'" + std::string(v) + "' is not a seed (a whole number, 0 or more)";
                }
                return false;
            }
            options.farm.seed = static_cast<std::uint64_t>(*seed);
        } else if (arg == "--modem-delay") {
            const auto ms = value(v) ? ParseInteger(v) : std::nullopt;
            if (!ms || *ms < 0 || *ms > 600000) {
                if (error.empty()) {
                    error = "'" + std::string(v) + "' is not a delay of 0 to 600000 ms";
                }
                return false;
            }
            options.farm.modem.present = true;
            options.farm.modem.carrierDelayMs = static_cast<int>(*ms);
        } else if (arg == "--charge-at") {
            const auto minutes = value(v) ? ParseInteger(v) : std::nullopt;
            if (!minutes || *minutes < 0 || *minutes * 60 > farmsim::Farm::kMaxChargeStartSeconds) {
                if (error.empty()) {
                    error = "'" + std::string(v) + "' is not a number of minutes of 0 to 10080";
                }
                return false;
            }
            options.farm.chargeStartSeconds = *minutes * 60;
        } else if (arg == "--model-speed") {
            const auto speed = value(v) ? ParseInteger(v) : std::nullopt;
            if (!speed || *speed < 1 || *speed > farmsim::Farm::kMaxModelSecondsPerSecond) {
                if (error.empty()) {
                    error = "'" + std::string(v) + "' is not a speed of 1 to 3600";
                }
                return false;
            }
            options.farm.modelSecondsPerSecond = static_cast<int>(*speed);
        } else if (arg == "--fifo") {
            const auto level = value(v) ? ParseInteger(v) : std::nullopt;
            if (!level || *level < 1 || *level > 64) {
                if (error.empty()) {
                    error = "'" + std::string(v) + "' is not a FIFO trigger level of 1 to 64";
                }
                return false;
            }
            options.fifoTrigger = static_cast<int>(*level);
        } else if (arg == "--link") {
            if (!value(v) || v.empty()) {
                if (error.empty()) {
                    error = "--link needs a path";
                }
                return false;
            }
            options.linkPath = std::string(v);
        } else if (arg == "--zrm-log") {
            if (!value(v) || v.empty()) {
                if (error.empty()) {
                    error = "--zrm-log needs a file name";
                }
                return false;
            }
            options.zrmLogPath = std::string(v);
        } else {
            error = "unknown option '" + std::string(arg) + "'";
            return false;
        }
    }

    if (pending.units.empty()) {
        error = "--units names no unit";
        return false;
    }
    for (const auto& [nodes, mode] : pending.modes) {
        if (!CheckKnown(nodes, pending.units, "--mode", error)) {
            return false;
        }
    }
    for (const auto& alarm : pending.alarms) {
        if (!CheckKnown(alarm.nodes, pending.units, "--alarm", error)) {
            return false;
        }
    }
    if (!CheckKnown(pending.centigrade, pending.units, "--centigrade", error) ||
        !CheckKnown(pending.silent, pending.units, "--silent", error)) {
        return false;
    }
    if (!options.zrmLogPath.empty() && !options.farm.zrmPresent) {
        error = "--zrm-log needs the alarm station (leave out --no-zrm)";
        return false;
    }

    for (int node : pending.units) {
        farmsim::UnitConfig unit;
        unit.nodeId = node;
        unit.idCode = static_cast<std::uint8_t>(node);
        unit.mode = pending.defaultMode;
        for (const auto& [nodes, mode] : pending.modes) {
            if (Covers(nodes, node)) {
                unit.mode = mode;
            }
        }
        unit.centigrade = Covers(pending.centigrade, node);
        unit.silent = Covers(pending.silent, node);
        for (const auto& alarm : pending.alarms) {
            if (Covers(alarm.nodes, node)) {
                unit.alarm = alarm.scenario;
                unit.alarmFromMs = alarm.fromMs;
            }
        }
        options.farm.units.push_back(unit);
    }
    out = std::move(options);
    return true;
}

std::string KilnsimOptions::Usage() {
    return R"(Usage: kilnsim [OPTION]...
A simulated farm (units, the alarm station at node 255, optionally a modem) on the slave end of
a pseudo-terminal, at 2400 bit/s in real time. It prints the device to open as the serial port
and runs until interrupted (Ctrl-C, SIGTERM).

Units (LIST: node IDs and ranges such as 3,5,9 or 1-254, or "all"):
  --units LIST            the farm's units (default 1-8)
  --mode MODE             initial mode of every unit: standby, run or setup (default run)
  --mode LIST=MODE        initial mode of some units, e.g. --mode 5,7=standby
  --centigrade LIST       units that work in degrees Centigrade
  --silent LIST           units whose network link is dead: they never answer
  --alarm LIST=KIND[@S]   alarm scenario from S seconds after the start (default 0):
                          high, low, heater-stuck, heater-failed, none
Temperatures (a unit in Run heats its chamber toward its setpoint and the three cores follow,
core 3 slowest; a unit in Standby cools toward the room's 68F):
  --charge-at MINUTES     units in Run start MINUTES into their charge (default 0: cold)
  --model-speed N         temperatures change N times as fast as in real time (1 to 3600,
                          default 1); the line's timing and the alarm times stay real
Line faults (RATE: chance per reply, 0 to 1):
  --fault KIND=RATE       KIND: silence, bad-checksum, missing-byte, extra-byte, noise,
                          late, carrier-loss
  --seed N                seed of the random faults (default 1)
Modem:
  --modem                 a Hayes-compatible modem in front of the farm network
  --modem-delay MS        from the dial command to the carrier (default 3000; implies --modem)
  --modem-no-answer       the modem's calls are never answered (implies --modem)
  A pseudo-terminal has no carrier line, so a program on it never sees the call connect.
Alarm station:
  --no-zrm                no alarm station at node 255
  --zrm-log FILE          write the station's stored log to FILE as a log data file of
                          10-byte records, every minute and at the end
Line:
  --fifo N                the PC's UART hands over received bytes N at a time, or after four
                          quiet character times (default 14, as a 16550; 1: every byte alone)
Program:
  --link PATH             also make PATH a symbolic link to the device (for example
                          ~/.config/kilnwatch/com1); removed again at the end. A file, or a
                          link there to a real line, is left alone and kilnsim ends with 1
  --verbose               report the line's traffic every ten seconds
  --help                  show this help

Exit status: 0 after an interrupt, 1 when the line cannot be made, 2 for a bad command line.
)";
}
