#pragma once

#include "sim/AlarmStation.h"
#include "sim/FarmConfig.h"
#include "sim/FrameReceiver.h"
#include "sim/HayesModem.h"
#include "sim/LineTiming.h"
#include "sim/ReplyOutcome.h"
#include "sim/SimRandom.h"
#include "sim/SimUnit.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace farmsim {

struct FarmCounters {
    std::uint64_t bytesFromPc = 0;
    std::uint64_t bytesToPc = 0;       // taken by the PC
    std::uint64_t bytesLostFromPc = 0; // sent while a direct line was down
    std::uint64_t repliesDue = 0;      // replies the stations meant to send
    std::uint64_t silenced = 0;        // the fault counters count replies, as drawn
    std::uint64_t badChecksum = 0;
    std::uint64_t missingByte = 0;
    std::uint64_t extraByte = 0;
    std::uint64_t noise = 0;
    std::uint64_t late = 0;
    std::uint64_t carrierLoss = 0;
    std::uint64_t transmissionsLost = 0; // replies or noise that found the way to the PC cut
    std::uint64_t carrierDrops = 0;      // carrier lost, by chance or on request
    std::uint64_t undetectedDamage = 0;  // damaged replies the PC's checksum check would accept
};

// A simulated farm on the far end of the PC's serial line: units, the alarm station and an
// optional modem, on an explicit clock in milliseconds. Nothing happens between calls: the caller
// moves time on, and every call that takes a time first brings the farm up to it. Time never
// runs backwards; an earlier time than the last one counts as the last one.
//
// Carrier as the PC sees it: with a modem, the modem's carrier (up while a call is connected).
// Without a modem the line is direct and its carrier is up unless the line is down: DropCarrier
// takes it down until RestoreLine, and a carrier-loss fault takes it down for lineOutageMs.
class Farm {
public:
    // Bounds of the heating model's speed-up and of a charge's head start (a week).
    static constexpr int kMaxModelSecondsPerSecond = 3600;
    static constexpr std::int64_t kMaxChargeStartSeconds = 7 * 24 * 3600;

    explicit Farm(FarmConfig config);

    // The PC wrote these bytes at nowMs. They reach the farm one by one at line speed, behind
    // anything the PC wrote earlier that is still on its way.
    void FromPc(const std::uint8_t* bytes, std::size_t n, std::int64_t nowMs);
    void FromPc(std::span<const std::uint8_t> bytes, std::int64_t nowMs);

    // Runs the heating model, frames, replies and modem timers up to nowMs.
    void AdvanceTo(std::int64_t nowMs);

    // The bytes that are complete at the PC end by nowMs, each once, in order.
    std::vector<TimedByte> TakeOutputUpTo(std::int64_t nowMs);

    // When the next byte will be complete at the PC end or the next line event (a byte reaching
    // the farm, a reply starting, a modem timer, a carrier change) will happen; nothing when the
    // farm is idle apart from its heating model.
    std::optional<std::int64_t> NextActivityMs() const;

    bool Carrier() const;
    void DropCarrier(std::int64_t nowMs);
    void RestoreLine(std::int64_t nowMs);

    std::int64_t NowMs() const { return nowUs_ / 1000; }

    // Truth, for tests and for the simulator program.
    const FarmConfig& Config() const { return config_; }
    const std::vector<std::string>& ConfigWarnings() const { return warnings_; }
    const std::vector<SimUnit>& Units() const { return units_; }
    const SimUnit* Unit(int nodeId) const;
    SimUnit* Unit(int nodeId);
    const AlarmStation* Zrm() const { return zrm_ ? &*zrm_ : nullptr; }
    const HayesModem* Modem() const { return modem_ ? &*modem_ : nullptr; }
    const FrameReceiver& Receiver() const { return receiver_; }
    const FarmCounters& Counters() const { return counters_; }

    // Every reply the line damaged in a way the PC's checksum check still accepts, as the PC
    // would take it: the first bytes after its query, as many as the reply was long. Its node
    // byte says which unit the PC will think sent it.
    const std::vector<std::vector<std::uint8_t>>& UndetectedDamage() const {
        return undetectedDamage_;
    }

    // The PC's test of a reply: a reply code in byte 1 and, after the data, the plain
    // (unwrapped) sum of the bytes before it, 2 bytes wide, 3 after code 'b'.
    static bool PcAcceptsReply(std::span<const std::uint8_t> reply);

private:
    enum class Origin { Modem, Farm };
    struct OutByte {
        std::int64_t us;
        std::uint8_t byte;
        Origin origin;
    };
    struct InByte {
        std::int64_t us;
        std::uint8_t byte;
    };

    static FarmConfig Sanitised(FarmConfig config, std::vector<std::string>& warnings);
    void RunUntil(std::int64_t targetUs);
    void StepModel();
    void ArriveFromPc(const InByte& in);
    void HandleFrame(std::span<const std::uint8_t> frame, std::int64_t endUs);
    ReplyOutcome Respond(std::span<const std::uint8_t> reply, std::int64_t frameEndUs);
    void Schedule(std::int64_t readyUs, std::vector<std::uint8_t> bytes);
    void Transmit(std::int64_t readyUs, const std::vector<std::uint8_t>& bytes);
    void ModemSays(const std::string& answer, std::int64_t us);
    void LoseCarrier(std::int64_t us, bool restoreByItself);
    void AfterModemCall(bool hadCarrier, std::int64_t us);
    void CutFarmTraffic(std::int64_t us);
    bool PathToPcOpen() const;

    std::vector<std::string> warnings_; // before config_, which is cleaned up into it
    FarmConfig config_;
    std::vector<SimUnit> units_;
    std::array<int, 256> unitIndex_{};
    std::optional<AlarmStation> zrm_;
    std::optional<HayesModem> modem_;
    SimRandom random_;
    LineTiming fromPcLine_;
    LineTiming toPcLine_;
    FrameReceiver receiver_;
    std::int64_t nowUs_ = 0;
    std::int64_t nextStepUs_ = 1000000;
    std::int64_t logEverySeconds_ = 60;
    std::deque<InByte> fromPc_;
    std::map<std::pair<std::int64_t, std::uint64_t>, std::vector<std::uint8_t>> transmissions_;
    std::uint64_t sequence_ = 0;
    std::multiset<std::int64_t> faultDropsUs_;
    std::optional<std::int64_t> lineRestoreUs_;
    bool lineUp_ = true;
    std::deque<OutByte> toPc_;
    FarmCounters counters_;
    std::vector<std::vector<std::uint8_t>> undetectedDamage_;
};

} // namespace farmsim
