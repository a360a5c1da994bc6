#include "OperatorSteps.h"

#include <array>
#include <charconv>
#include <utility>

namespace {

using Kind = OperatorStep::Kind;

struct Word {
    Kind kind;
    const char* text;
    bool hasArg;
};

constexpr std::array<Word, 21> kWords = {{
    {Kind::SelectFarm, "select", true},
    {Kind::Connect, "connect", true},
    {Kind::Disconnect, "disconnect", true},
    {Kind::SelectUnit, "unit", true},
    {Kind::OpenSheet, "open", true},
    {Kind::Operate, "operate", true},
    {Kind::Spin, "spin", false},
    {Kind::Apply, "apply", false},
    {Kind::Ok, "ok", false},
    {Kind::Cancel, "cancel", false},
    {Kind::AddUnit, "add", true},
    {Kind::DeleteUnit, "delete", true},
    {Kind::PullPort, "pull", true},
    {Kind::RestorePort, "restore", true},
    {Kind::Ticks, "tick", true},
    {Kind::Wait, "wait", true},
    {Kind::AnswerPrompt, "answer", false},
    {Kind::DismissPrompt, "dismiss", false},
    {Kind::Acknowledge, "ack", true},
    {Kind::AcknowledgeAll, "ackall", false},
    {Kind::Exit, "exit", false},
}};

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\n')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

bool ParseStep(std::string_view text, OperatorStep& step) {
    const std::size_t blank = text.find(' ');
    const std::string_view word = text.substr(0, blank);
    const std::string_view rest =
        blank == std::string_view::npos ? std::string_view() : Trim(text.substr(blank + 1));
    for (const Word& known : kWords) {
        if (word != known.text) {
            continue;
        }
        step.kind = known.kind;
        step.arg = 0;
        if (!known.hasArg) {
            return rest.empty();
        }
        const char* end = rest.data() + rest.size();
        const auto [ptr, ec] = std::from_chars(rest.data(), end, step.arg);
        return ec == std::errc() && ptr == end && step.arg >= 0;
    }
    return false;
}

} // namespace

std::string ToText(const OperatorStep& step) {
    for (const Word& known : kWords) {
        if (known.kind == step.kind) {
            return known.hasArg ? std::string(known.text) + ' ' + std::to_string(step.arg)
                                : std::string(known.text);
        }
    }
    return "?";
}

std::string ToText(const OperatorSequence& steps) {
    std::string text;
    for (const OperatorStep& step : steps) {
        if (!text.empty()) {
            text += "; ";
        }
        text += ToText(step);
    }
    return text;
}

bool ParseSequence(std::string_view text, OperatorSequence& steps, std::string& error) {
    steps.clear();
    while (!Trim(text).empty()) {
        const std::size_t semicolon = text.find(';');
        const std::string_view item = Trim(text.substr(0, semicolon));
        text =
            semicolon == std::string_view::npos ? std::string_view() : text.substr(semicolon + 1);
        OperatorStep step;
        if (!ParseStep(item, step)) {
            error = "'" + std::string(item) + "' is no step";
            return false;
        }
        steps.push_back(step);
    }
    return true;
}
