#include "app/kilnmon/KilnmonOptions.h"

#include "app/LocalSeconds.h"

#include <charconv>
#include <string_view>
#include <utility>

namespace {

constexpr int kMaxReconnectSeconds = 86400;
constexpr int kMaxHealthMinutes = 1440;

// A whole number from low to high, the text holding nothing else.
bool WholeNumber(std::string_view text, int low, int high, int& out) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        return false;
    }
    out = value;
    return true;
}

// A calendar date "YYYY-MM-DD" the journal can hold (its years have two digits, from 2000).
bool CalendarDate(std::string_view text, LocalDateTime& out) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return false;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    if (!WholeNumber(text.substr(0, 4), 2000, 2099, year) ||
        !WholeNumber(text.substr(5, 2), 1, 12, month) ||
        !WholeNumber(text.substr(8, 2), 1, 31, day)) {
        return false;
    }
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    if (day > kDays[month - 1] || (month == 2 && day == 29 && !leap)) {
        return false;
    }
    out = {year, month, day, 0, 0, 0};
    return true;
}

std::string* MqttField(PublishConfig& config, std::size_t index) {
    std::string* fields[] = {&config.brokerUrl,    &config.clientId,    &config.userName,
                             &config.passwordFile, &config.passwordEnv, &config.caFile,
                             &config.prefix,       &config.site};
    return fields[index];
}

} // namespace

PublishConfig KilnmonOptions::MergedPublishing(const PublishConfig& fromHive) const {
    PublishConfig merged = fromHive;
    PublishConfig given = mqtt;
    for (std::size_t i = 0; i < std::size(kMqttOptions); ++i) {
        if ((mqttGiven & (1u << i)) != 0) {
            *MqttField(merged, i) = *MqttField(given, i);
        }
    }
    // A password source on the command line replaces the hive's of the other kind too.
    if ((mqttGiven & (1u << 3)) != 0 && (mqttGiven & (1u << 4)) == 0) {
        merged.passwordEnv.clear();
    }
    if ((mqttGiven & (1u << 4)) != 0 && (mqttGiven & (1u << 3)) == 0) {
        merged.passwordFile.clear();
    }
    return merged;
}

bool KilnmonOptions::Parse(int argc, const char* const* argv, KilnmonOptions& out,
                           std::string& error) {
    KilnmonOptions options;
    bool farmGiven = false;
    bool directoryGiven = false;
    // The first option of each mode's own, to name when the other mode is asked for.
    std::string monitorOnly;
    std::string readerOnly;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] != nullptr ? argv[i] : "";
        const bool hasValue = i + 1 < argc && argv[i + 1] != nullptr;
        const bool readerOption = arg == "--unit" || arg == "--kind" || arg == "--from" ||
                                  arg == "--to" || arg == "--csv" ||
                                  (!arg.empty() && arg[0] != '-');
        if (readerOption && readerOnly.empty()) {
            readerOnly = arg;
        } else if (!readerOption && monitorOnly.empty() && arg != "--help" && arg != "-h" &&
                   arg != "--spanish" && arg != "--farm" && arg != "--events") {
            monitorOnly = arg;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--events") {
            options.events = true;
        } else if (arg == "--no-journal") {
            options.journal = false;
        } else if (arg == "--csv") {
            options.eventsCsv = true;
        } else if (arg == "--unit") {
            if (!WholeNumber(hasValue ? argv[++i] : "", 1, 254, options.eventFilter.unit)) {
                error = "--unit takes a node ID from 1 to 254";
                return false;
            }
        } else if (arg == "--kind") {
            EventKind kind{};
            if (!hasValue || !EventKindFromName(argv[++i], kind)) {
                error = "--kind takes an event's word, such as alarm-raised or unit-silent "
                        "(kilnmon --help lists them)";
                return false;
            }
            options.eventFilter.kind = kind;
        } else if (arg == "--from" || arg == "--to") {
            LocalDateTime date;
            if (!CalendarDate(hasValue ? argv[++i] : "", date)) {
                error = std::string(arg) + " takes a date YYYY-MM-DD from 2000 to 2099";
                return false;
            }
            if (arg == "--from") {
                options.eventFilter.from = LocalSeconds(date);
            } else {
                date.hour = 23;
                date.minute = 59;
                date.second = 59;
                options.eventFilter.to = LocalSeconds(date);
            }
        } else if (!arg.empty() && arg[0] != '-') {
            if (directoryGiven) {
                error = "unknown argument '" + std::string(arg) + "'";
                return false;
            }
            options.eventsDirectory = std::string(arg);
            directoryGiven = true;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--spanish") {
            options.language = Language::Spanish;
        } else if (arg == "--farm") {
            const std::string_view value = hasValue ? argv[++i] : "";
            if (value.size() != 1 || value[0] < '1' || value[0] > '4') {
                error = "--farm takes a farm number from 1 to 4";
                return false;
            }
            options.farmNumber = value[0] - '0';
            farmGiven = true;
        } else if (arg == "--reconnect") {
            if (!WholeNumber(hasValue ? argv[++i] : "", 1, kMaxReconnectSeconds,
                             options.reconnectSeconds)) {
                error = "--reconnect takes a number of seconds from 1 to 86400";
                return false;
            }
        } else if (arg == "--health") {
            if (!WholeNumber(hasValue ? argv[++i] : "", 1, kMaxHealthMinutes,
                             options.healthMinutes)) {
                error = "--health takes a number of minutes from 1 to 1440";
                return false;
            }
        } else if (arg == "--pace") {
            const std::string_view value = hasValue ? argv[++i] : "";
            if (value != "tick" && value != "line") {
                error = "--pace takes tick or line";
                return false;
            }
            options.pace = value == "line" ? ScanPaceKind::Line : ScanPaceKind::Tick;
        } else if (arg == "--guard" || arg == "--margin") {
            const int high =
                arg == "--guard" ? ScanPaceSettings::kMaxGuardMs : ScanPaceSettings::kMaxMarginMs;
            int value = 0;
            if (!WholeNumber(hasValue ? argv[++i] : "", 0, high, value)) {
                error = std::string(arg) + " takes a number of milliseconds from 0 to " +
                        std::to_string(high);
                return false;
            }
            (arg == "--guard" ? options.guardMs : options.marginMs) = value;
        } else if (arg == "--descriptor") {
            if (!hasValue) {
                error = "--descriptor needs a text (\"\" for none)";
                return false;
            }
            const std::string_view value = argv[++i];
            // The descriptor is one line of the CSV log; a line break would forge lines.
            for (const char c : value) {
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    error = "--descriptor must be one line of text without control characters";
                    return false;
                }
            }
            options.descriptor = std::string(value);
        } else if (arg.starts_with("--mqtt")) {
            std::size_t index = std::size(kMqttOptions);
            for (std::size_t k = 0; k < std::size(kMqttOptions); ++k) {
                if (arg == kMqttOptions[k]) {
                    index = k;
                }
            }
            if (index == std::size(kMqttOptions)) {
                error = "unknown argument '" + std::string(arg) + "'";
                return false;
            }
            if (!hasValue) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            *MqttField(options.mqtt, index) = argv[++i];
            options.mqttGiven |= 1u << index;
        } else {
            error = "unknown argument '" + std::string(arg) + "'";
            return false;
        }
    }
    if (options.events) {
        if (!monitorOnly.empty()) {
            error = monitorOnly + " is not used with --events, which only reads the journal";
            return false;
        }
        if (options.eventFilter.from > options.eventFilter.to) {
            error = "--from is after --to";
            return false;
        }
        options.eventFilter.farm = farmGiven ? options.farmNumber - 1 : -1;
    } else if (!readerOnly.empty() && !options.help) {
        error = readerOnly.starts_with("--") ? readerOnly + " is used only with --events"
                                             : "unknown argument '" + readerOnly + "'";
        return false;
    }
    if (!farmGiven && !options.help && !options.events) {
        error = "--farm is required";
        return false;
    }
    out = std::move(options);
    return true;
}

std::string KilnmonOptions::Usage() {
    return R"(Usage: kilnmon --farm N [--reconnect SECONDS] [--descriptor TEXT] [--spanish]
       [--health MINUTES] [--pace tick|line] [--guard MS] [--margin MS] [--verbose]
       [--mqtt URL [--mqtt-... VALUE]...] [--no-journal]
A monitor without a window: it connects farm N (1 to 4) as configured in the registry hive,
directly or through its modem, polls its units once a second, and prints to standard output
every change of the status line and every unit's line of the kiln list (WRB ID, Status,
RTD1-RTD4, the unit's scale and its state). Each event (an alarm raised or cleared, a unit
silent or answering again, a sensor fault, a charge qualified or broken, a mode change, the
farm connected or its port lost) is printed as a line "event DATE TIME farm F unit U KIND
DETAIL" and appended to the events journal. Notices go to standard error.
Ctrl-C, SIGTERM, SIGHUP or a closed standard output disconnects the farm (a modem farm hangs
up first), finishes the PC log and saves the registry.

  --farm N             the farm to connect, 1 to 4
  --reconnect SECONDS  when the serial port is lost or cannot be opened, try again at this
                       interval, saying so each time (default: the registry's
                       "Reconnect Interval" in seconds; without it, end with status 1)
  --descriptor TEXT    the first line of each new PC log file (default: none)
  --spanish            the Spanish texts
  --health MINUTES     print the line health table (polls, good replies, unanswered and
                       refused attempts, time since the last good reply, failing units
                       first) every MINUTES minutes and at the end
  --pace tick|line     tick: one transaction a second; line: the next one as soon as the
                       previous reply is complete (default: the farm's "Scan Pace" in the
                       hive, else tick); the option is for this run, the hive is not changed
  --guard MS           at the line pace, the quiet time after a reply before the next
                       query (default: the farm's "Scan Guard Time", else 10)
  --margin MS          at the line pace, how long after a reply's own line time an attempt
                       counts as unanswered (default: the farm's "Scan Reply Margin", else 150)
  --verbose            also say on standard error how the alarm tone is heard (the PC
                       speaker, or none: kilnmon never uses a sound card)
  --no-journal         do not write the events journal; events are still printed
  --help               show this help

Publishing to an MQTT broker (each replaces the registry's "Publishing" key value; the
program only publishes and subscribes to nothing):
  --mqtt URL                 the broker, mqtt://HOST[:PORT] or mqtts://HOST[:PORT] for TLS
  --mqtt-client-id ID        the client id (default: made from the site name)
  --mqtt-user NAME           the user name
  --mqtt-password-file FILE  the password is the first line of FILE
  --mqtt-password-env NAME   the password is in the environment variable NAME
  --mqtt-ca FILE             the certificate authorities for mqtts (default: the system's)
  --mqtt-prefix PREFIX       the topics' prefix (default: kilnwatch)
  --mqtt-site NAME           the site's name, the topic level under the prefix (required)

Reading the events journal back, with no serial port opened and no hive read:
kilnmon --events [--farm N] [--unit N] [--kind WORD] [--from YYYY-MM-DD] [--to YYYY-MM-DD]
[--csv] [DIR]
  --events             print the journal's events, oldest first, one a line as above
                       without "event "; lines of the journal that cannot be read (one
                       torn by a power cut) are left out and counted on standard error
  --farm N             only farm N's events
  --unit N             only unit N's events (node ID, 1 to 254)
  --kind WORD          only events of that kind: alarm-raised, alarm-cleared,
                       alarm-acknowledged, unit-silent, unit-answering, sensor-fault,
                       sensor-ok, charge-qualified, charge-broken, mode-changed,
                       farm-connected, farm-disconnected, port-lost, reconnected,
                       program-started, program-ended
  --from YYYY-MM-DD    only events of that day or later
  --to YYYY-MM-DD      only events of that day or earlier
  --csv                print the journal's own lines (CSV, CR LF) under its header
  DIR                  the journal's folder (default: PC_Logs in the working directory)

Where things are:
  hive     $KILNWATCH_REGISTRY, else ~/.config/kilnwatch/registry.reg ($XDG_CONFIG_HOME
           in place of ~/.config when set); a hive that cannot be read or written is left
           as it is, and kilnmon says so
  COMn     the device of the farm's port n (1 to 4): $KILNWATCH_COMn, else the link
           ~/.config/kilnwatch/comN (to the device), else /dev/ttyS(n-1)
  PC logs  PC_Logs in the working directory, one CSV file per connection
  events   PC_Logs/Events_YYYYMM.CSV in the working directory, one file a month, shared
           with the desktop program; a journal that cannot be written is told once and
           polling goes on

Exit status: 0 after an interrupt, 1 when the port is lost or cannot be opened (without
--reconnect) or the farm has no usable port, 2 for a bad command line or bad publishing
settings. With --events: 0 when the journal was read (even with lines left out), 1 when
its folder or one of its files cannot be read, 2 for a bad command line.
)";
}
