#pragma once

#include "OperatorHarness.h"
#include "OperatorInvariants.h"
#include "OperatorSteps.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>

// How freely the operator works. Careful: waits for the program's first tick, pulls no adapter,
// presses Apply only on a sheet of the connected farm once its unit has answered since the
// sheet opened, and leaves a sheet only once a tick has passed since its last Apply. Careless:
// Apply whenever it can be pressed, but no adapter pulled and nothing before the first tick.
// Any: every step, whenever the desk allows it. A replay keeps to its profile too: a step the
// profile does not allow then does nothing.
enum class OperatorProfile { Careful, Careless, Any };

struct OperatorOutcome {
    bool failed = false;
    char invariant = 0;
    std::string failure;
    OperatorSequence steps; // as done, ending with the exit
    int ticks = 0;
    std::size_t commits = 0;
    std::size_t logLines = 0;
};

// One operator run: the program on the farms of a setup, and the steps of a sequence done one
// after another at the desk, with every check after each step and tick. A run stops at its
// first failure, and always ends the program (File > Exit) and checks what is left after it.
class OperatorSession {
public:
    // The steps as given (an exit is added when they have none). beforeStep, when given, runs
    // before each step with its index: how the tests of the checks break the program's rules
    // behind the operator's back, or look at it. keepGoing as for Random.
    using StepHook = std::function<void(OperatorHarness&, std::size_t)>;
    static OperatorOutcome Replay(std::uint64_t seed, const OperatorSequence& steps,
                                  OperatorProfile profile = OperatorProfile::Any,
                                  StepHook beforeStep = nullptr, bool keepGoing = false);
    // Steps chosen at random from the seed, as many as given, then the exit. keepGoing: the
    // run goes on to the end after a check failed (the first failure is the one reported), for
    // soaks that look for crashes and leaks as well.
    static OperatorOutcome Random(std::uint64_t seed, int steps, OperatorProfile profile,
                                  bool keepGoing = false);
    // A shorter sequence of the seed that still fails the same check under the profile: steps
    // left out, and waits shortened, for as long as the failure stays.
    static OperatorSequence Shrink(std::uint64_t seed, const OperatorSequence& steps,
                                   char invariant, OperatorProfile profile);

    OperatorSession(const OperatorSession&) = delete;
    OperatorSession& operator=(const OperatorSession&) = delete;
    ~OperatorSession();

private:
    // Where the steps come from: a list, or the random operator.
    class Source;
    class ListSource;
    class RandomSource;

    OperatorSession(std::uint64_t seed, OperatorProfile profile, std::unique_ptr<Source> source);
    OperatorOutcome Run();
    // Runs steps at a depth of modal sheets: returns when the sheet this depth runs in has
    // closed, the steps are done or a check failed.
    void RunSteps(int depth);
    void Do(const OperatorStep& step, int depth);
    bool DeskFree() const;
    // Whether the profile lets the operator do the step now.
    bool Allowed(const OperatorStep& step) const;
    bool MayApply() const;
    void SheetOpened(int nodeId, int depth);
    void AddInDialog(int nodeId);
    void Apply();
    void Check();
    // With KILNWATCH_OPERATOR_TRACE set, each step and what the desk shows after it.
    void Trace(const OperatorStep& step, int depth, bool done) const;

    OperatorProfile m_profile;
    OperatorHarness m_h;
    OperatorRecord m_record;
    OperatorInvariants m_checks;
    std::unique_ptr<Source> m_source;
    OperatorSequence m_done;
    StepHook m_beforeStep;
    bool m_bExitDone = false;
    // The sheet open now: its farm, unit and where the line's reads stood when it opened.
    int m_sheetFarm = -1;
    int m_sheetNode = 0;
    std::size_t m_sheetReads = 0;
    int m_appliedAtTick = -1;
    int m_descriptors = 0;
    bool m_bKeepGoing = false;
};
