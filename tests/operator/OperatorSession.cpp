#include "OperatorSession.h"

#include "RandomOperator.h"

#include "app/CTreeListDoc.h"
#include "app/qt/CMainFrame.h"
#include "kiln/KilnDecoding.h"
#include "kiln/qt/CAddKilnDialog.h"
#include "kiln/qt/CMyListView.h"
#include "net/Frames.h"
#include "pclog/qt/CLogDescriptorDialog.h"
#include "sheets/CPalettePage.h"
#include "sheets/CPaletteSheet.h"
#include "sheets/CSpinButton.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kCommandConnect = 32809;
constexpr int kCommandDisconnect = 32810;

using Kind = OperatorStep::Kind;

std::string UnitName(int nodeId) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d", nodeId);
    return text;
}

} // namespace

// ---- Where steps come from ------------------------------------------------------------------

class OperatorSession::Source {
public:
    virtual ~Source() = default;
    // The next step for the desk as it stands; the exit once the sequence is over.
    virtual OperatorStep Next(const OperatorSession& session) = 0;
    // The step last taken is taken again next.
    virtual void GiveBack() = 0;
};

class OperatorSession::ListSource : public Source {
public:
    explicit ListSource(OperatorSequence steps) : m_steps(std::move(steps)) {}
    OperatorStep Next(const OperatorSession&) override {
        if (m_next >= m_steps.size()) {
            ++m_next;
            return {Kind::Exit, 0};
        }
        return m_steps[m_next++];
    }
    void GiveBack() override { --m_next; }

private:
    OperatorSequence m_steps;
    std::size_t m_next = 0;
};

class OperatorSession::RandomSource : public Source {
public:
    RandomSource(std::uint64_t seed, int steps) : m_operator(seed), m_left(steps) {}

    OperatorStep Next(const OperatorSession& session) override {
        if (m_givenBack) {
            m_givenBack = false;
            return m_last;
        }
        if (m_left <= 0) {
            m_last = {Kind::Exit, 0};
        } else {
            --m_left;
            m_last = m_operator.Choose(session.m_h, [&session](const OperatorStep& step) {
                return session.Allowed(step);
            });
        }
        return m_last;
    }
    void GiveBack() override { m_givenBack = true; }

private:
    RandomOperator m_operator;
    int m_left;
    OperatorStep m_last;
    bool m_givenBack = false;
};

// ---- Running ---------------------------------------------------------------------------------

OperatorSession::OperatorSession(std::uint64_t seed, OperatorProfile profile,
                                 std::unique_ptr<Source> source)
    : m_profile(profile), m_h(OperatorSetup::ForSeed(seed)), m_checks(m_h, m_record),
      m_source(std::move(source)) {}

OperatorSession::~OperatorSession() = default;

OperatorOutcome OperatorSession::Replay(std::uint64_t seed, const OperatorSequence& steps,
                                        OperatorProfile profile, StepHook beforeStep,
                                        bool keepGoing) {
    OperatorSession session(seed, profile, std::make_unique<ListSource>(steps));
    session.m_beforeStep = std::move(beforeStep);
    session.m_bKeepGoing = keepGoing;
    return session.Run();
}

OperatorOutcome OperatorSession::Random(std::uint64_t seed, int steps, OperatorProfile profile,
                                        bool keepGoing) {
    OperatorSession session(seed, profile, std::make_unique<RandomSource>(seed, steps));
    session.m_bKeepGoing = keepGoing;
    return session.Run();
}

OperatorOutcome OperatorSession::Run() {
    m_h.beforeTick = [this] { m_checks.BeforeTick(); };
    m_h.afterTick = [this] { m_checks.AfterTick(); };
    Check();
    RunSteps(0);
    if (!m_bExitDone) {
        // Stopped by a failure: the program still ends as it would.
        m_h.Exit();
        m_bExitDone = true;
    }
    m_h.beforeTick = nullptr;
    m_h.afterTick = nullptr;
    m_checks.AfterExit();

    OperatorOutcome outcome;
    outcome.failed = m_checks.Failed();
    outcome.invariant = m_checks.FailedInvariant();
    outcome.failure = m_checks.Failure();
    outcome.steps = m_done;
    if (outcome.steps.empty() || outcome.steps.back().kind != Kind::Exit) {
        outcome.steps.push_back({Kind::Exit, 0});
    }
    outcome.ticks = m_h.Ticks();
    outcome.commits = m_checks.CommitsChecked();
    outcome.logLines = m_checks.LogLinesChecked();
    return outcome;
}

void OperatorSession::RunSteps(int depth) {
    while ((m_bKeepGoing || !m_checks.Failed()) && !m_bExitDone) {
        if (depth > 0 && m_h.OpenSheet() == nullptr) {
            return;
        }
        const OperatorStep step = m_source->Next(*this);
        if (m_beforeStep && m_h.Frame() != nullptr) {
            m_beforeStep(m_h, m_done.size());
        }
        m_done.push_back(step);
        Trace(step, depth, false);
        Do(step, depth);
        Check();
        Trace(step, depth, true);
    }
    // A failure inside a sheet: the operator leaves it, so the program can end.
    if (depth > 0) {
        if (CPaletteSheet* sheet = m_h.OpenSheet()) {
            sheet->reject();
        }
    }
}

bool OperatorSession::DeskFree() const {
    // A sheet runs modally, and the Log Descriptor prompt holds the main window.
    return m_h.Frame() != nullptr && m_h.OpenSheet() == nullptr && m_h.OpenAddKiln() == nullptr &&
           m_h.OpenPrompt() == nullptr;
}

void OperatorSession::Trace(const OperatorStep& step, int depth, bool done) const {
    static const bool tracing = std::getenv("KILNWATCH_OPERATOR_TRACE") != nullptr;
    if (!tracing) {
        return;
    }
    const std::string indent(static_cast<std::size_t>(2 + 4 * depth), ' ');
    if (!done) {
        std::fprintf(stderr, "%s%s\n", indent.c_str(), ToText(step).c_str());
        return;
    }
    std::string line = indent + "  = tick " + std::to_string(m_h.Ticks()) + ", open farm " +
                       std::to_string(m_h.Farms().OpenFarm() + 1) + ", shown " +
                       std::to_string(m_h.ShownFarm() + 1) + ", units";
    for (const int unit : m_h.ShownUnits()) {
        line += " " + std::to_string(unit);
    }
    if (CMainFrame* frame = m_h.Frame()) {
        line += " | \"" + frame->StatusText().toStdString() + "\"";
    }
    if (CPaletteSheet* sheet = m_h.OpenSheet()) {
        CPalettePage& page = sheet->Page();
        line += " | sheet " + page.IdentificationValue()->text().toStdString() + " " +
                page.ModeBox()->text().toStdString() + (page.Spin()->isEnabled() ? " spin" : "") +
                (page.ApplyButton()->isEnabled() ? " apply" : "");
    }
    if (m_h.OpenPrompt() != nullptr) {
        line += " | prompt";
    }
    std::fprintf(stderr, "%s\n", line.c_str());
}

bool OperatorSession::MayApply() const {
    if (m_profile != OperatorProfile::Careful) {
        return true;
    }
    const int open = m_h.Farms().OpenFarm();
    if (open < 0 || m_sheetFarm != open) {
        return false;
    }
    const auto& reads = m_h.Farms().Reads();
    for (std::size_t i = m_sheetReads; i < reads.size(); ++i) {
        const auto& read = reads[i];
        if (read.farm == open && read.connection == m_h.Farms().Connection() &&
            read.bytes.size() == 60 && read.bytes[0] == m_sheetNode &&
            CheckReply(read.bytes.data(), 60)) {
            return true;
        }
    }
    return false;
}

bool OperatorSession::Allowed(const OperatorStep& step) const {
    if (m_profile == OperatorProfile::Any) {
        return true;
    }
    switch (step.kind) {
    case Kind::PullPort:
        return false;
    case Kind::Ticks:
    case Kind::Wait:
    case Kind::Exit:
        return true;
    case Kind::Apply:
        return MayApply();
    case Kind::Ok:
    case Kind::Cancel:
        return m_profile != OperatorProfile::Careful || m_h.Ticks() > m_appliedAtTick;
    default:
        return m_h.Ticks() > 0;
    }
}

void OperatorSession::Check() {
    if (m_h.Frame() != nullptr) {
        m_checks.AfterStep();
    }
}

void OperatorSession::Do(const OperatorStep& step, int depth) {
    if (!Allowed(step)) {
        return;
    }
    CPaletteSheet* sheet = m_h.OpenSheet();
    const auto whileSheetOpen = [this, depth](int nodeId) {
        return [this, depth, nodeId] { SheetOpened(nodeId, depth); };
    };
    switch (step.kind) {
    case Kind::SelectFarm:
        if (DeskFree()) {
            m_h.ClickGroup(step.arg - 1);
        }
        break;
    case Kind::Connect:
    case Kind::Disconnect:
        if (DeskFree()) {
            m_h.FarmCommand(step.arg - 1,
                            step.kind == Kind::Connect ? kCommandConnect : kCommandDisconnect);
        }
        break;
    case Kind::SelectUnit:
        if (DeskFree()) {
            m_h.ClickUnit(step.arg);
        }
        break;
    case Kind::OpenSheet:
        if (DeskFree()) {
            m_h.DoubleClickUnit(step.arg, whileSheetOpen(step.arg));
        }
        break;
    case Kind::Operate:
        if (DeskFree()) {
            m_h.UnitCommand(step.arg, CMyListView::ID_OPERATE, whileSheetOpen(step.arg));
        }
        break;
    case Kind::Spin:
        if (sheet != nullptr) {
            QTest::keyClick(sheet->Page().Spin(), Qt::Key_Up);
        }
        break;
    case Kind::Apply:
        Apply();
        break;
    case Kind::Ok:
    case Kind::Cancel:
        if (sheet != nullptr) {
            const auto which =
                step.kind == Kind::Ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel;
            QTest::mouseClick(sheet->Buttons()->button(which), Qt::LeftButton);
        }
        break;
    case Kind::AddUnit:
        if (DeskFree()) {
            m_h.NewKiln([this, nodeId = step.arg] { AddInDialog(nodeId); });
        }
        break;
    case Kind::DeleteUnit:
        if (DeskFree()) {
            m_h.UnitCommand(step.arg, CMyListView::ID_DELETE, nullptr);
        }
        break;
    case Kind::Acknowledge:
    case Kind::AcknowledgeAll:
        if (DeskFree()) {
            m_h.AcknowledgeOnPane(step.kind == Kind::AcknowledgeAll ? 0 : step.arg);
        }
        break;
    case Kind::PullPort:
        m_h.PullPort(step.arg - 1);
        break;
    case Kind::RestorePort:
        m_h.RestorePort(step.arg - 1);
        break;
    case Kind::Ticks:
        m_h.Advance(std::clamp(step.arg, 0, 600) * 1000);
        break;
    case Kind::Wait:
        m_h.Advance(std::clamp(step.arg, 0, 600000));
        break;
    case Kind::AnswerPrompt:
        if (CLogDescriptorDialog* prompt = m_h.OpenPrompt()) {
            QLineEdit* edit = prompt->Edit();
            edit->selectAll();
            QTest::keyClicks(edit, QStringLiteral("charge %1").arg(++m_descriptors));
            m_record.descriptors.push_back(CLogDescriptorDialog::DescriptorLine(edit->text()));
            QTest::keyClick(edit, Qt::Key_Return);
            QCoreApplication::processEvents();
        }
        break;
    case Kind::DismissPrompt:
        if (CLogDescriptorDialog* prompt = m_h.OpenPrompt()) {
            QTest::keyClick(prompt, Qt::Key_Escape);
            QCoreApplication::processEvents();
        }
        break;
    case Kind::Exit:
        if (depth > 0) {
            // The sheet first; the exit itself is done at the main window.
            if (sheet != nullptr) {
                QTest::mouseClick(sheet->Buttons()->button(QDialogButtonBox::Cancel),
                                  Qt::LeftButton);
            }
            m_source->GiveBack();
            m_done.pop_back();
            break;
        }
        if (CLogDescriptorDialog* prompt = m_h.OpenPrompt()) {
            QTest::keyClick(prompt, Qt::Key_Escape);
            QCoreApplication::processEvents();
        }
        m_h.Exit();
        m_bExitDone = true;
        break;
    }
}

void OperatorSession::SheetOpened(int nodeId, int depth) {
    CPaletteSheet* sheet = m_h.OpenSheet();
    if (sheet == nullptr) {
        return;
    }
    // The unit as the sheet names it, on the farm whose list it was opened from.
    m_sheetFarm = m_h.ShownFarm();
    m_sheetNode = sheet->Page().IdentificationValue()->text().toInt();
    if (m_sheetNode == 0) {
        m_sheetNode = nodeId;
    }
    m_sheetReads = m_h.Farms().Reads().size();
    Check();
    RunSteps(depth + 1);
    m_sheetFarm = -1;
    m_sheetNode = 0;
}

void OperatorSession::Apply() {
    CPaletteSheet* sheet = m_h.OpenSheet();
    if (sheet == nullptr) {
        return;
    }
    QPushButton* apply = sheet->Page().ApplyButton();
    const bool enabled = apply->isEnabled();
    const QString mode = sheet->Page().ModeBox()->text();
    QTest::mouseClick(apply, Qt::LeftButton);
    if (!enabled) {
        return;
    }
    OperatorRecord::Applied applied;
    applied.farm = m_sheetFarm;
    applied.node = m_sheetNode;
    applied.modeByte = mode == QStringLiteral("RUN")       ? KVN_MODE_RUN
                       : mode == QStringLiteral("STANDBY") ? KVN_MODE_STANDBY
                                                           : 0;
    applied.readsAtOpen = m_sheetReads;
    m_record.applied.push_back(applied);
    m_appliedAtTick = m_h.Ticks();
}

void OperatorSession::AddInDialog(int nodeId) {
    CAddKilnDialog* dialog = m_h.OpenAddKiln();
    if (dialog == nullptr) {
        return;
    }
    // Up through the free IDs until the wanted one shows; once round is enough.
    const QString wanted = QString::fromStdString(UnitName(nodeId));
    for (int step = 0; step < 255 && dialog->IdDisplay()->text().trimmed() != wanted; ++step) {
        if (!dialog->Spin()->isEnabled()) {
            break;
        }
        QTest::keyClick(dialog->Spin(), Qt::Key_Up);
    }
    if (dialog->IdDisplay()->text().trimmed() == wanted) {
        QTest::mouseClick(dialog->AddButton(), Qt::LeftButton);
    }
    QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
}

// ---- Shrinking -------------------------------------------------------------------------------

OperatorSequence OperatorSession::Shrink(std::uint64_t seed, const OperatorSequence& steps,
                                         char invariant, OperatorProfile profile) {
    const auto fails = [&](const OperatorSequence& candidate, OperatorSequence* done) {
        const OperatorOutcome outcome = Replay(seed, candidate, profile);
        if (outcome.failed && outcome.invariant == invariant) {
            if (done != nullptr) {
                *done = outcome.steps;
            }
            return true;
        }
        return false;
    };
    const auto withoutExit = [](OperatorSequence sequence) {
        while (!sequence.empty() && sequence.back().kind == Kind::Exit) {
            sequence.pop_back();
        }
        return sequence;
    };
    OperatorSequence best = withoutExit(steps);
    OperatorSequence done;
    if (!fails(best, &done)) {
        return steps;
    }
    // What ran up to the failure is all that matters.
    best = withoutExit(done);
    for (std::size_t chunk = std::max<std::size_t>(1, best.size() / 2);; chunk /= 2) {
        for (std::size_t start = 0; start < best.size();) {
            OperatorSequence candidate = best;
            const auto first = candidate.begin() + static_cast<std::ptrdiff_t>(start);
            candidate.erase(
                first, first + static_cast<std::ptrdiff_t>(std::min(chunk, best.size() - start)));
            if (fails(candidate, &done)) {
                best = withoutExit(done);
            } else {
                start += chunk;
            }
        }
        if (chunk == 1) {
            break;
        }
    }
    // Fewer and shorter waits: ticks in a row as one, then each as short as still fails.
    for (std::size_t i = 0; i + 1 < best.size();) {
        if (best[i].kind == Kind::Ticks && best[i + 1].kind == Kind::Ticks) {
            OperatorSequence candidate = best;
            candidate[i].arg += candidate[i + 1].arg;
            candidate.erase(candidate.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            if (fails(candidate, nullptr)) {
                best = candidate;
                continue;
            }
        }
        ++i;
    }
    for (std::size_t i = 0; i < best.size(); ++i) {
        const Kind kind = best[i].kind;
        if (kind != Kind::Ticks && kind != Kind::Wait) {
            continue;
        }
        const int least = kind == Kind::Ticks ? 1 : 50;
        for (int shorter = least; shorter < best[i].arg;) {
            OperatorSequence candidate = best;
            candidate[i].arg = shorter;
            if (fails(candidate, nullptr)) {
                best = candidate;
                break;
            }
            shorter = kind == Kind::Ticks ? shorter + 1 : shorter * 2;
        }
    }
    best.push_back({Kind::Exit, 0});
    return best;
}
