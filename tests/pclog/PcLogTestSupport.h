#pragma once

// A farm connected with PC logging on a virtual clock, its files in a scratch working
// directory, and helpers that read what the logs hold.

#include "support/EngineFakes.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <sys/stat.h>

namespace pclogtest {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// True when nobody may write the file: no write permission bit is set.
inline bool IsReadOnly(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & 0222) == 0;
}

// The lines of a log file, each checked to end in CR LF; a line without it is returned with
// "<no CR LF>" appended so a comparison shows the fault.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<no CR LF>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// A status reply with all four RTDs, the unit's scale and its mode.
inline std::vector<std::uint8_t> UnitReply(int nodeId, std::uint8_t mode, bool centigrade,
                                           std::array<std::uint16_t, 4> rtd,
                                           std::uint8_t statusBits = 0) {
    std::vector<std::uint8_t> body = StatusReply(nodeId, mode, statusBits);
    body.resize(58);
    body[5] = centigrade ? 1 : 0;
    // The wire order is RTD 1, RTD 3, RTD 2, RTD 4.
    const int offsets[4] = {44, 48, 46, 50};
    for (int i = 0; i < 4; ++i) {
        body[static_cast<std::size_t>(offsets[i])] = static_cast<std::uint8_t>(rtd[i] >> 8);
        body[static_cast<std::size_t>(offsets[i]) + 1] = static_cast<std::uint8_t>(rtd[i] & 0xFF);
    }
    return ShortReply(body);
}

inline constexpr std::uint8_t kRun = 0xA3;
inline constexpr std::uint8_t kStandby = 0x3A;

// Farm 0, connected at 08:15:00 on 6 December 2006. Its first logging cycle starts on the
// third tick; polling starts on the fourth.
struct LoggingFarm : EngineFixture {
    LoggingFarm() {
        clock.now = {2006, 12, 6, 8, 15, 0};
        frame.answerDescriptorAtOnce = true;
        frame.descriptorText = "Charge 14, beech";
    }

    void Connect(std::initializer_list<int> nodeIds) {
        ConfigureUnits(doc.Farm(0), nodeIds);
        doc.FarmConnect(0);
    }

    // What each unit answers; nullopt = silent. Default: Standby, Fahrenheit.
    std::function<std::optional<std::vector<std::uint8_t>>(int nodeId)> answer =
        [](int nodeId) -> std::optional<std::vector<std::uint8_t>> {
        return UnitReply(nodeId, kStandby, false, {2640, 2640, 2640, 2640});
    };

    // Runs one tick and answers the scan it sent, if any.
    void Tick() {
        const std::size_t before = port.writes.size();
        doc.Timer1_Tick();
        const auto targets = ScanTargets(before);
        if (targets.empty()) {
            return;
        }
        if (auto reply = answer(targets.back())) {
            Reply(*reply);
        }
    }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) {
            Tick();
        }
    }

    std::string PcLogs() const { return workDir.Path() + "/PC_Logs"; }
    std::string LogPath() const { return doc.PcLog(0).LogFileName(); }
    std::string MirrorPath() const { return doc.PcLog(0).MirrorFileName(); }
};

} // namespace pclogtest
