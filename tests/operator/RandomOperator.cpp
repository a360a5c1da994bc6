#include "RandomOperator.h"

#include "OperatorHarness.h"

#include <algorithm>

namespace {

using Kind = OperatorStep::Kind;

} // namespace

int RandomOperator::Uniform(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(m_random);
}

OperatorStep RandomOperator::Pick(const Allowed& allowed, std::vector<Choice> choices) {
    int total = 0;
    for (Choice& c : choices) {
        if (!allowed(c.step)) {
            c.weight = 0;
        }
        total += c.weight;
    }
    int roll = Uniform(1, std::max(1, total));
    for (const Choice& c : choices) {
        roll -= c.weight;
        if (roll <= 0 && c.weight > 0) {
            return c.step;
        }
    }
    return {Kind::Ticks, 1};
}

int RandomOperator::AnyFarm(const OperatorHarness& desk) {
    return Uniform(1, desk.Farms().FarmCount());
}

// Mostly the group on the screen, now and then another one.
int RandomOperator::SomeFarm(const OperatorHarness& desk) {
    const int shown = desk.ShownFarm();
    return shown >= 0 && shown < desk.Farms().FarmCount() && Chance(70) ? shown + 1 : AnyFarm(desk);
}

// Mostly a unit with a line, now and then an ID typed from memory.
int RandomOperator::SomeUnit(const OperatorHarness& desk) {
    const std::vector<int> shown = desk.ShownUnits();
    if (!shown.empty() && Chance(85)) {
        return shown[static_cast<std::size_t>(Uniform(0, static_cast<int>(shown.size()) - 1))];
    }
    return Uniform(1, 9);
}

OperatorStep RandomOperator::Choose(const OperatorHarness& desk, const Allowed& allowed) {
    const OperatorFarms& farms = desk.Farms();
    const int open = farms.OpenFarm();
    int pulled = 0;
    for (int farm = 0; farm < farms.FarmCount(); ++farm) {
        if (!farms.AdapterPresent(farm)) {
            pulled = farm + 1;
        }
    }
    const int pullFarm = open >= 0 && Chance(80) ? open + 1 : AnyFarm(desk);
    const Choice pull{open >= 0 ? 3 : 1, {Kind::PullPort, pullFarm}};
    const Choice restore{pulled > 0 ? 4 : 0, {Kind::RestorePort, pulled}};
    const Choice wait{6, {Kind::Wait, Uniform(50, 950)}};
    const bool prompt = desk.OpenPrompt() != nullptr;

    if (desk.OpenSheet() != nullptr) {
        return Pick(allowed, {
                                 {30, {Kind::Ticks, Uniform(1, 4)}},
                                 wait,
                                 {15, {Kind::Spin, 0}},
                                 {18, {Kind::Apply, 0}},
                                 {4, {Kind::Ok, 0}},
                                 {4, {Kind::Cancel, 0}},
                                 {prompt ? 8 : 0, {Kind::AnswerPrompt, 0}},
                                 {2, pull.step},
                                 restore,
                             });
    }
    if (prompt) {
        return Pick(allowed, {
                                 {45, {Kind::AnswerPrompt, 0}},
                                 {8, {Kind::DismissPrompt, 0}},
                                 {25, {Kind::Ticks, Uniform(1, 3)}},
                                 wait,
                                 pull,
                                 restore,
                             });
    }
    // Nothing happens on the line until a farm is connected: that comes first, mostly.
    const bool connected = open >= 0;
    return Pick(allowed,
                {
                    {20, {Kind::Ticks, Uniform(1, 5)}},
                    wait,
                    {connected ? 8 : 6, {Kind::SelectFarm, AnyFarm(desk)}},
                    {connected ? 4 : 30, {Kind::Connect, SomeFarm(desk)}},
                    {connected ? 4 : 1,
                     {Kind::Disconnect, connected && Chance(80) ? open + 1 : AnyFarm(desk)}},
                    {3, {Kind::SelectUnit, SomeUnit(desk)}},
                    {connected ? 16 : 5, {Kind::OpenSheet, SomeUnit(desk)}},
                    {connected ? 6 : 2, {Kind::Operate, SomeUnit(desk)}},
                    {3, {Kind::AddUnit, Uniform(1, 9)}},
                    {connected ? 1 : 4, {Kind::DeleteUnit, SomeUnit(desk)}},
                    {connected ? 3 : 1, {Kind::Acknowledge, Uniform(1, 3)}},
                    {connected ? 2 : 1, {Kind::AcknowledgeAll, 0}},
                    pull,
                    restore,
                });
}
