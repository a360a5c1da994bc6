#include "sim/Farm.h"

#include "sim/WireFrame.h"

#include <algorithm>

namespace farmsim {

namespace {

constexpr std::int64_t kUsPerMs = 1000;
constexpr std::int64_t kStepUs = 1000000;

std::int64_t CeilMs(std::int64_t us) {
    return us >= 0 ? (us + kUsPerMs - 1) / kUsPerMs : -((-us) / kUsPerMs);
}

} // namespace

FarmConfig Farm::Sanitised(FarmConfig config, std::vector<std::string>& warnings) {
    auto atLeast = [&warnings](int& value, int minimum, const char* name, int fallback) {
        if (value < minimum) {
            warnings.push_back(std::string(name) + " out of range; using " +
                               std::to_string(fallback));
            value = fallback;
        }
    };
    atLeast(config.bitsPerSecond, 1, "bitsPerSecond", 2400);
    atLeast(config.turnaroundMs, 0, "turnaroundMs", 0);
    atLeast(config.frameGapMs, 1, "frameGapMs", 20);
    atLeast(config.lateByMs, 0, "lateByMs", 0);
    atLeast(config.lineOutageMs, 0, "lineOutageMs", 0);
    atLeast(config.zrmLogIntervalMs, 1000, "zrmLogIntervalMs", 60000);
    atLeast(config.modem.carrierDelayMs, 0, "modem.carrierDelayMs", 0);
    atLeast(config.modem.noAnswerTimeoutMs, 0, "modem.noAnswerTimeoutMs", 0);
    atLeast(config.modem.guardMs, 0, "modem.guardMs", 0);
    atLeast(config.modelSecondsPerSecond, 1, "modelSecondsPerSecond", 1);
    if (config.modelSecondsPerSecond > kMaxModelSecondsPerSecond) {
        warnings.push_back("modelSecondsPerSecond out of range; using " +
                           std::to_string(kMaxModelSecondsPerSecond));
        config.modelSecondsPerSecond = kMaxModelSecondsPerSecond;
    }
    if (config.chargeStartSeconds < 0 || config.chargeStartSeconds > kMaxChargeStartSeconds) {
        warnings.push_back("chargeStartSeconds out of range; using 0");
        config.chargeStartSeconds = 0;
    }

    std::vector<UnitConfig> units;
    std::array<bool, 256> taken{};
    for (const UnitConfig& unit : config.units) {
        if (unit.nodeId < 1 || unit.nodeId > 254) {
            warnings.push_back("unit with node ID " + std::to_string(unit.nodeId) +
                               " left out: units are 1 to 254");
        } else if (taken[static_cast<std::size_t>(unit.nodeId)]) {
            warnings.push_back("second unit with node ID " + std::to_string(unit.nodeId) +
                               " left out");
        } else {
            taken[static_cast<std::size_t>(unit.nodeId)] = true;
            units.push_back(unit);
        }
    }
    config.units = std::move(units);
    return config;
}

Farm::Farm(FarmConfig config)
    : config_(Sanitised(std::move(config), warnings_)), random_(config_.seed),
      fromPcLine_(config_.bitsPerSecond), toPcLine_(config_.bitsPerSecond),
      receiver_(static_cast<std::int64_t>(config_.frameGapMs) * kUsPerMs,
                fromPcLine_.DurationUs(1)) {
    unitIndex_.fill(-1);
    units_.reserve(config_.units.size());
    for (const UnitConfig& unit : config_.units) {
        unitIndex_[static_cast<std::size_t>(unit.nodeId)] = static_cast<int>(units_.size());
        units_.emplace_back(unit);
        if (unit.mode == Mode::Run) {
            units_.back().RunAhead(config_.chargeStartSeconds, config_.ambientF);
        }
    }
    if (config_.zrmPresent) {
        zrm_.emplace(config_.zrmStartTimeCount, config_.zrmCapacityBytes);
    }
    if (config_.modem.present) {
        modem_.emplace(config_.modem);
    }
    // Records go into the log on whole seconds of the model.
    logEverySeconds_ = std::max<std::int64_t>(1, (config_.zrmLogIntervalMs + 500) / 1000);
}

const SimUnit* Farm::Unit(int nodeId) const {
    if (nodeId < 0 || nodeId > 255) {
        return nullptr;
    }
    const int index = unitIndex_[static_cast<std::size_t>(nodeId)];
    return index < 0 ? nullptr : &units_[static_cast<std::size_t>(index)];
}

SimUnit* Farm::Unit(int nodeId) {
    return const_cast<SimUnit*>(static_cast<const Farm*>(this)->Unit(nodeId));
}

bool Farm::Carrier() const {
    return modem_ ? modem_->Carrier() : lineUp_;
}

bool Farm::PathToPcOpen() const {
    return modem_ ? modem_->PassesData() : lineUp_;
}

void Farm::FromPc(std::span<const std::uint8_t> bytes, std::int64_t nowMs) {
    AdvanceTo(nowMs);
    const std::vector<std::int64_t> arrivals = fromPcLine_.Send(nowUs_, bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        fromPc_.push_back({arrivals[i], bytes[i]});
    }
    counters_.bytesFromPc += bytes.size();
}

void Farm::FromPc(const std::uint8_t* bytes, std::size_t n, std::int64_t nowMs) {
    if (bytes == nullptr) {
        AdvanceTo(nowMs);
        return;
    }
    FromPc(std::span<const std::uint8_t>(bytes, n), nowMs);
}

void Farm::AdvanceTo(std::int64_t nowMs) {
    // Far beyond any run (a million years) and still clear of overflow in microseconds.
    constexpr std::int64_t kLatestMs = std::int64_t{1} << 45;
    RunUntil(std::clamp<std::int64_t>(nowMs, 0, kLatestMs) * kUsPerMs);
}

std::vector<TimedByte> Farm::TakeOutputUpTo(std::int64_t nowMs) {
    AdvanceTo(nowMs);
    std::vector<TimedByte> taken;
    while (!toPc_.empty() && toPc_.front().us <= nowUs_) {
        taken.push_back({CeilMs(toPc_.front().us), toPc_.front().byte});
        toPc_.pop_front();
    }
    counters_.bytesToPc += taken.size();
    return taken;
}

std::optional<std::int64_t> Farm::NextActivityMs() const {
    std::optional<std::int64_t> next;
    auto consider = [&next](std::optional<std::int64_t> us) {
        if (us && (!next || *us < *next)) {
            next = us;
        }
    };
    if (!fromPc_.empty()) {
        consider(fromPc_.front().us);
    }
    if (!transmissions_.empty()) {
        consider(transmissions_.begin()->first.first);
    }
    if (modem_) {
        consider(modem_->NextDeadlineUs());
    }
    if (!faultDropsUs_.empty()) {
        consider(*faultDropsUs_.begin());
    }
    consider(lineRestoreUs_);
    if (!toPc_.empty()) {
        consider(toPc_.front().us);
    }
    if (next) {
        next = CeilMs(*next);
    }
    return next;
}

void Farm::RunUntil(std::int64_t targetUs) {
    // Events at the same instant run in a fixed order (model, PC byte, reply, modem timer, carrier
    // loss, line restore), so a run does not depend on how finely the caller slices time.
    for (;;) {
        std::int64_t next = nextStepUs_;
        if (!fromPc_.empty()) {
            next = std::min(next, fromPc_.front().us);
        }
        if (!transmissions_.empty()) {
            next = std::min(next, transmissions_.begin()->first.first);
        }
        const std::optional<std::int64_t> modemDeadline =
            modem_ ? modem_->NextDeadlineUs() : std::nullopt;
        if (modemDeadline) {
            next = std::min(next, *modemDeadline);
        }
        if (!faultDropsUs_.empty()) {
            next = std::min(next, *faultDropsUs_.begin());
        }
        if (lineRestoreUs_) {
            next = std::min(next, *lineRestoreUs_);
        }
        if (next > targetUs) {
            break;
        }
        nowUs_ = std::max(nowUs_, next);

        if (next == nextStepUs_) {
            StepModel();
        } else if (!fromPc_.empty() && fromPc_.front().us == next) {
            const InByte in = fromPc_.front();
            fromPc_.pop_front();
            ArriveFromPc(in);
        } else if (!transmissions_.empty() && transmissions_.begin()->first.first == next) {
            const auto node = transmissions_.extract(transmissions_.begin());
            Transmit(next, node.mapped());
        } else if (modemDeadline && *modemDeadline == next) {
            std::string answer;
            const bool hadCarrier = modem_->Carrier();
            modem_->RunDeadline(next, answer);
            ModemSays(answer, next);
            AfterModemCall(hadCarrier, next);
        } else if (!faultDropsUs_.empty() && *faultDropsUs_.begin() == next) {
            faultDropsUs_.erase(faultDropsUs_.begin());
            LoseCarrier(next, true);
        } else {
            lineRestoreUs_.reset();
            lineUp_ = true;
        }
    }
    nowUs_ = std::max(nowUs_, targetUs);
}

void Farm::StepModel() {
    const std::int64_t simMs = nextStepUs_ / kUsPerMs;
    nextStepUs_ += kStepUs;
    for (SimUnit& unit : units_) {
        for (int s = 0; s < config_.modelSecondsPerSecond; ++s) {
            unit.StepOneSecond(simMs, config_.ambientF);
        }
    }
    if (zrm_ && (simMs / 1000) % logEverySeconds_ == 0) {
        for (const SimUnit& unit : units_) {
            if (unit.GetMode() == Mode::Run && !unit.Silent()) {
                zrm_->Log(unit, simMs);
            }
        }
    }
}

void Farm::ArriveFromPc(const InByte& in) {
    if (modem_) {
        std::string answer;
        const bool hadCarrier = modem_->Carrier();
        const bool passes = modem_->FromPc(in.byte, in.us, answer);
        ModemSays(answer, in.us);
        AfterModemCall(hadCarrier, in.us);
        if (!passes) {
            return;
        }
    } else if (!lineUp_) {
        ++counters_.bytesLostFromPc;
        return;
    }
    if (receiver_.Push(in.byte, in.us)) {
        HandleFrame(receiver_.Frame(), in.us);
    }
}

void Farm::HandleFrame(std::span<const std::uint8_t> frame, std::int64_t endUs) {
    const int node = frame[0];
    const std::uint8_t command = frame[1];
    if (command == WireFrame::kSizeQuery) {
        if (node == AlarmStation::kNodeId && zrm_) {
            zrm_->NoteQuery();
            const auto reply = zrm_->SizeReply();
            zrm_->NoteOutcome(Respond(reply, endUs));
        }
        return;
    }
    SimUnit* unit = Unit(node);
    if (unit == nullptr) {
        return;
    }
    SimUnit::Traffic& traffic = unit->MutableTraffic();
    if (command == WireFrame::kScan) {
        ++traffic.queriesSeen;
        if (unit->Silent()) {
            return;
        }
        const SimUnit::Reply reply = unit->StatusReply(nowUs_ / kUsPerMs);
        traffic.lastStatusReply = reply;
        traffic.hasStatusReply = true;
        traffic.statusOutcome = Respond(reply, endUs);
        traffic.lastOutcome = traffic.statusOutcome;
    } else if (command == WireFrame::kCommit) {
        if (unit->Silent()) {
            return;
        }
        unit->ApplyCommit(frame);
        ++traffic.commitsApplied;
        std::array<std::uint8_t, 4> reply = {frame[0], WireFrame::kCommitAccepted, 0, 0};
        WireFrame::Seal(reply, 2);
        traffic.lastOutcome = Respond(reply, endUs);
    } else {
        return;
    }
    if (traffic.lastOutcome.sent) {
        ++traffic.repliesSent;
    }
}

ReplyOutcome Farm::Respond(std::span<const std::uint8_t> reply, std::int64_t frameEndUs) {
    // Every draw is made whatever the rates, so that a rate of 0 does not shift later chances.
    const FaultRates& rates = config_.faults;
    ReplyOutcome outcome;
    ++counters_.repliesDue;
    if (random_.Chance(rates.silence)) {
        ++counters_.silenced;
        return outcome;
    }
    outcome.sent = true;
    std::vector<std::uint8_t> wire(reply.begin(), reply.end());

    outcome.badChecksum = random_.Chance(rates.badChecksum);
    const auto flip = static_cast<std::uint8_t>(1 + random_.Below(255));
    if (outcome.badChecksum && !wire.empty()) {
        wire.back() ^= flip;
        ++counters_.badChecksum;
    }
    outcome.missingByte = random_.Chance(rates.missingByte);
    const int missingAt = random_.Below(static_cast<int>(wire.size()));
    if (outcome.missingByte && !wire.empty()) {
        wire.erase(wire.begin() + missingAt);
        ++counters_.missingByte;
    }
    outcome.extraByte = random_.Chance(rates.extraByte);
    const int extraAt = random_.Below(static_cast<int>(wire.size()) + 1);
    const std::uint8_t extra = random_.Byte();
    if (outcome.extraByte) {
        wire.insert(wire.begin() + extraAt, extra);
        ++counters_.extraByte;
    }
    outcome.noise = random_.Chance(rates.noise);
    std::vector<std::uint8_t> noise(static_cast<std::size_t>(1 + random_.Below(4)));
    for (std::uint8_t& b : noise) {
        b = random_.Byte();
    }
    outcome.late = random_.Chance(rates.late);
    outcome.carrierLoss = random_.Chance(rates.carrierLoss);
    const int lossAfterBytes = random_.Below(static_cast<int>(wire.size()));

    // What a PC taking the first reply-length bytes after its query gets: the noise comes
    // first, and a carrier loss cuts the reply short.
    std::vector<std::uint8_t> taken;
    if (outcome.noise) {
        taken = noise;
    }
    const std::size_t reaching =
        outcome.carrierLoss ? std::min(wire.size(), static_cast<std::size_t>(lossAfterBytes))
                            : wire.size();
    taken.insert(taken.end(), wire.begin(), wire.begin() + static_cast<std::ptrdiff_t>(reaching));
    if (taken.size() >= reply.size()) {
        taken.resize(reply.size());
        if (!std::equal(taken.begin(), taken.end(), reply.begin()) && PcAcceptsReply(taken)) {
            outcome.undetectedDamage = true;
            ++counters_.undetectedDamage;
            undetectedDamage_.push_back(taken);
        }
    }

    std::int64_t readyUs = frameEndUs + static_cast<std::int64_t>(config_.turnaroundMs) * kUsPerMs;
    if (outcome.noise) {
        // The noise gets onto the line during the turnaround, ahead of the reply.
        ++counters_.noise;
        Schedule(frameEndUs, std::move(noise));
    }
    if (outcome.late) {
        ++counters_.late;
        readyUs += static_cast<std::int64_t>(config_.lateByMs) * kUsPerMs;
    }
    if (outcome.carrierLoss) {
        ++counters_.carrierLoss;
        faultDropsUs_.insert(readyUs +
                             toPcLine_.DurationUs(static_cast<std::size_t>(lossAfterBytes)));
    }
    Schedule(readyUs, std::move(wire));
    return outcome;
}

bool Farm::PcAcceptsReply(std::span<const std::uint8_t> reply) {
    if (reply.size() < 2) {
        return false;
    }
    const std::uint8_t code = reply[1];
    if (code != 'D' && code != 'F' && code != 'S' && code != 'a' && code != 'b') {
        return false;
    }
    const std::size_t width = code == 'b' ? 3 : 2;
    if (reply.size() < width + 2) {
        return false;
    }
    const std::size_t summed = reply.size() - width;
    std::uint32_t stored = 0;
    for (std::size_t i = summed; i < reply.size(); ++i) {
        stored = (stored << 8) | reply[i];
    }
    return WireFrame::Sum(reply.first(summed)) == stored;
}

void Farm::Schedule(std::int64_t readyUs, std::vector<std::uint8_t> bytes) {
    transmissions_.emplace(std::make_pair(readyUs, sequence_++), std::move(bytes));
}

void Farm::Transmit(std::int64_t readyUs, const std::vector<std::uint8_t>& bytes) {
    if (!PathToPcOpen()) {
        ++counters_.transmissionsLost;
        return;
    }
    const std::vector<std::int64_t> done = toPcLine_.Send(readyUs, bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        toPc_.push_back({done[i], bytes[i], Origin::Farm});
    }
}

void Farm::ModemSays(const std::string& answer, std::int64_t us) {
    const std::vector<std::int64_t> done = toPcLine_.Send(us, answer.size());
    for (std::size_t i = 0; i < answer.size(); ++i) {
        toPc_.push_back({done[i], static_cast<std::uint8_t>(answer[i]), Origin::Modem});
    }
}

void Farm::AfterModemCall(bool hadCarrier, std::int64_t us) {
    if (hadCarrier && !modem_->Carrier()) {
        ++counters_.carrierDrops;
        CutFarmTraffic(us);
    }
}

void Farm::CutFarmTraffic(std::int64_t us) {
    // What the farm had not yet got through to the PC is lost with the line.
    std::erase_if(toPc_, [us](const OutByte& b) { return b.origin == Origin::Farm && b.us > us; });
    counters_.transmissionsLost += transmissions_.size();
    transmissions_.clear();
}

void Farm::LoseCarrier(std::int64_t us, bool restoreByItself) {
    if (modem_) {
        if (!modem_->Carrier()) {
            return;
        }
        std::string answer;
        modem_->LoseCarrier(answer);
        ModemSays(answer, us);
        AfterModemCall(true, us);
        return;
    }
    if (!lineUp_) {
        return;
    }
    lineUp_ = false;
    ++counters_.carrierDrops;
    CutFarmTraffic(us);
    if (restoreByItself) {
        lineRestoreUs_ = us + static_cast<std::int64_t>(config_.lineOutageMs) * kUsPerMs;
    }
}

void Farm::DropCarrier(std::int64_t nowMs) {
    AdvanceTo(nowMs);
    LoseCarrier(nowUs_, false);
    lineRestoreUs_.reset();
}

void Farm::RestoreLine(std::int64_t nowMs) {
    AdvanceTo(nowMs);
    if (!modem_) {
        lineUp_ = true;
        lineRestoreUs_.reset();
    }
}

} // namespace farmsim
