#include "sim/HayesModem.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace farmsim {

namespace {

constexpr std::size_t kMaxLine = 80;
constexpr std::size_t kRecentLines = 32;

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

HayesModem::HayesModem(const ModemConfig& config)
    : config_(config), lastDataUs_(std::numeric_limits<std::int64_t>::min() / 2) {}

void HayesModem::Say(const char* text, std::string& answer) {
    answer += "\r\n";
    answer += text;
    answer += "\r\n";
}

std::optional<std::int64_t> HayesModem::NextDeadlineUs() const {
    if (escapeAtUs_ && dialOutcomeAtUs_) {
        return std::min(*escapeAtUs_, *dialOutcomeAtUs_);
    }
    return escapeAtUs_ ? escapeAtUs_ : dialOutcomeAtUs_;
}

void HayesModem::RunDeadline(std::int64_t tUs, std::string& answer) {
    if (escapeAtUs_ && *escapeAtUs_ <= tUs) {
        escapeAtUs_.reset();
        plusCount_ = 0;
        if (state_ == ModemState::Online) {
            state_ = ModemState::OnlineCommand;
            Say("OK", answer);
        }
    }
    if (dialOutcomeAtUs_ && *dialOutcomeAtUs_ <= tUs) {
        dialOutcomeAtUs_.reset();
        if (state_ == ModemState::Dialling) {
            if (config_.neverAnswers) {
                state_ = ModemState::Command;
                Say("NO CARRIER", answer);
            } else {
                state_ = ModemState::Online;
                lastDataUs_ = tUs;
                Say("CONNECT 2400", answer);
            }
        }
    }
}

void HayesModem::HangUp() {
    state_ = ModemState::Command;
    escapeAtUs_.reset();
    dialOutcomeAtUs_.reset();
    plusCount_ = 0;
}

void HayesModem::LoseCarrier(std::string& answer) {
    if (state_ == ModemState::Command) {
        return;
    }
    HangUp();
    Say("NO CARRIER", answer);
}

bool HayesModem::FromPc(std::uint8_t byte, std::int64_t tUs, std::string& answer) {
    switch (state_) {
    case ModemState::Online:
        DataByte(byte, tUs);
        return true;
    case ModemState::Dialling:
        return false;
    case ModemState::Command:
    case ModemState::OnlineCommand:
        CommandByte(byte, tUs, answer);
        return false;
    }
    return false;
}

void HayesModem::DataByte(std::uint8_t byte, std::int64_t tUs) {
    // "+++" escapes only when framed by guard times of silence, so that the sequence inside
    // ordinary data never does; the escape itself happens when the trailing guard time ends.
    const std::int64_t guardUs = static_cast<std::int64_t>(config_.guardMs) * 1000;
    const std::int64_t quietUs = tUs - lastDataUs_;
    lastDataUs_ = tUs;
    escapeAtUs_.reset();
    if (byte == '+' && plusCount_ > 0 && plusCount_ < 3 && quietUs < guardUs) {
        ++plusCount_;
    } else if (byte == '+' && quietUs >= guardUs) {
        plusCount_ = 1;
    } else {
        plusCount_ = 0;
    }
    if (plusCount_ == 3) {
        escapeAtUs_ = tUs + guardUs;
    }
}

void HayesModem::CommandByte(std::uint8_t byte, std::int64_t tUs, std::string& answer) {
    if (echo_) {
        answer += static_cast<char>(byte);
    }
    if (byte == '\r') {
        ExecuteLine(tUs, answer);
        return;
    }
    if (byte == '\n') {
        return;
    }
    if (byte == 0x08) {
        if (!line_.empty()) {
            line_.pop_back();
        }
        return;
    }
    if (line_.size() < kMaxLine) {
        line_ += static_cast<char>(byte);
    } else {
        lineOverflow_ = true;
    }
}

void HayesModem::ExecuteLine(std::int64_t tUs, std::string& answer) {
    std::string line;
    line.swap(line_);
    const bool overflow = lineOverflow_;
    lineOverflow_ = false;

    // Anything in front of "AT" (such as a "+++" typed while already in command mode) is noise.
    std::size_t at = std::string::npos;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if (Upper(line[i]) == 'A' && Upper(line[i + 1]) == 'T') {
            at = i;
            break;
        }
    }
    if (at == std::string::npos) {
        return;
    }
    recent_.push_back(line.substr(at));
    if (recent_.size() > kRecentLines) {
        recent_.pop_front();
    }
    if (overflow) {
        Say("ERROR", answer);
        return;
    }

    const std::string cmd = line.substr(at + 2);
    bool ok = true;
    bool dial = false;
    bool online = false;
    std::string number;
    std::size_t i = 0;
    auto digit = [&]() {
        int value = 0;
        while (i < cmd.size() && IsDigit(cmd[i])) {
            value = std::min(value * 10 + (cmd[i] - '0'), 1000);
            ++i;
        }
        return value;
    };
    while (ok && i < cmd.size()) {
        const char c = Upper(cmd[i++]);
        switch (c) {
        case ' ':
            break;
        case 'E':
            echo_ = digit() != 0;
            break;
        case 'H':
            if (digit() == 0 && Carrier()) {
                HangUp();
            }
            break;
        case 'D':
            if (i < cmd.size() && (Upper(cmd[i]) == 'T' || Upper(cmd[i]) == 'P')) {
                ++i;
            }
            number = cmd.substr(i);
            i = cmd.size();
            dial = true;
            break;
        case 'O':
            digit();
            online = true;
            break;
        case 'Z':
            digit();
            HangUp();
            echo_ = true;
            break;
        case 'S':
            digit();
            if (i < cmd.size() && (cmd[i] == '=' || cmd[i] == '?')) {
                ++i;
                digit();
            }
            break;
        case '&':
            if (i < cmd.size()) {
                ++i;
            }
            digit();
            break;
        case 'X':
        case 'V':
        case 'Q':
        case 'M':
        case 'L':
        case 'B':
            digit();
            break;
        default:
            ok = false;
            break;
        }
    }

    if (!ok || (dial && Carrier()) || (online && state_ != ModemState::OnlineCommand)) {
        Say("ERROR", answer);
        return;
    }
    if (dial) {
        ++dials_;
        lastNumber_ = number;
        state_ = ModemState::Dialling;
        const int waitMs =
            config_.neverAnswers ? config_.noAnswerTimeoutMs : config_.carrierDelayMs;
        dialOutcomeAtUs_ = tUs + static_cast<std::int64_t>(std::max(waitMs, 0)) * 1000;
        return;
    }
    if (online) {
        state_ = ModemState::Online;
        lastDataUs_ = tUs;
        Say("CONNECT 2400", answer);
        return;
    }
    Say("OK", answer);
}

} // namespace farmsim
