#pragma once

#include "sim/FarmConfig.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace farmsim {

enum class ModemState {
    Command,       // on hook, no carrier: AT commands
    Dialling,      // waiting for the far end to answer
    Online,        // carrier: data passes to and from the farm network
    OnlineCommand, // carrier held, but escaped to AT commands by "+++"
};

// A Hayes-compatible modem between the PC and the farm network. It is a state machine over
// explicit times (microseconds); what it says to the PC is appended to an answer string.
// Result codes are verbose, each framed by CR LF.
class HayesModem {
public:
    explicit HayesModem(const ModemConfig& config);

    // A byte from the PC reached the modem at tUs. Returns true when it passes on to the farm.
    bool FromPc(std::uint8_t byte, std::int64_t tUs, std::string& answer);

    // When the next timer (dial outcome, end of the escape guard time) runs out.
    std::optional<std::int64_t> NextDeadlineUs() const;
    void RunDeadline(std::int64_t tUs, std::string& answer);

    // The line was lost: carrier drops and the PC hears NO CARRIER.
    void LoseCarrier(std::string& answer);

    bool Carrier() const {
        return state_ == ModemState::Online || state_ == ModemState::OnlineCommand;
    }
    bool PassesData() const { return state_ == ModemState::Online; }
    ModemState State() const { return state_; }
    bool EchoOn() const { return echo_; }
    std::uint64_t Dials() const { return dials_; }
    const std::string& LastNumber() const { return lastNumber_; }
    // The last few command lines that held "AT", as received (without CR).
    const std::deque<std::string>& RecentCommands() const { return recent_; }

private:
    void CommandByte(std::uint8_t byte, std::int64_t tUs, std::string& answer);
    void DataByte(std::uint8_t byte, std::int64_t tUs);
    void ExecuteLine(std::int64_t tUs, std::string& answer);
    void HangUp();
    static void Say(const char* text, std::string& answer);

    ModemConfig config_;
    ModemState state_ = ModemState::Command;
    bool echo_ = true;
    std::string line_;
    bool lineOverflow_ = false;
    int plusCount_ = 0;
    std::int64_t lastDataUs_;
    std::optional<std::int64_t> escapeAtUs_;
    std::optional<std::int64_t> dialOutcomeAtUs_;
    std::uint64_t dials_ = 0;
    std::string lastNumber_;
    std::deque<std::string> recent_;
};

} // namespace farmsim
