#pragma once

// A farm connected with PC logging on a virtual clock, its files in a scratch working
// directory, and helpers that read what the logs hold.

#include "support/EngineFakes.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sys/stat.h>

namespace pclogtest {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// A path written with '/' as this platform's own functions give it.
inline std::string Native(std::string path) {
#if defined(_WIN32)
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
#endif
    return path;
}

// No write permission bit is set.
inline bool IsReadOnly(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & 0222) == 0;
}

// The CR LF lines of a file; a last line without CR LF is marked so a comparison shows it.
inline std::vector<std::string> Lines(const std::string& path) {
    const std::string text = ReadFile(path);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
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

inline constexpr std::uint8_t kRun = 0xA3;
inline constexpr std::uint8_t kStandby = 0x3A;
using Answer = std::optional<std::vector<std::uint8_t>>;

// A status reply with all four RTDs and the unit's scale.
inline std::vector<std::uint8_t> UnitReply(int nodeId, std::uint8_t mode, bool centigrade,
                                           std::array<std::uint16_t, 4> rtd = {2640, 2640, 2640,
                                                                               2640}) {
    std::vector<std::uint8_t> body = StatusReply(nodeId, mode);
    body.resize(58);
    body[5] = centigrade ? 1 : 0;
    const int offsets[4] = {44, 48, 46, 50}; // RTD 1, 2, 3, 4 on the wire
    for (std::size_t i = 0; i < 4; ++i) {
        body[std::size_t(offsets[i])] = static_cast<std::uint8_t>(rtd[i] >> 8);
        body[std::size_t(offsets[i]) + 1] = static_cast<std::uint8_t>(rtd[i] & 0xFF);
    }
    return ShortReply(body);
}

// Farm 0 connected at 08:15:00 on 6 December 2006. Its first logging cycle starts on the
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
    // What a unit answers; nullopt = silent.
    std::function<Answer(int nodeId)> answer = [](int id) -> Answer {
        return UnitReply(id, kRun, false);
    };
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) {
            const std::size_t before = port.writes.size();
            doc.Timer1_Tick();
            const auto targets = ScanTargets(before);
            if (!targets.empty()) {
                if (Answer reply = answer(targets.back())) {
                    Reply(*reply);
                }
            }
        }
    }
    std::string PcLogs() const { return workDir.Path() + "/PC_Logs"; }
    std::string LogPath() const { return doc.PcLog(0).LogFileName(); }
    std::string MirrorPath() const { return doc.PcLog(0).MirrorFileName(); }
};

} // namespace pclogtest
