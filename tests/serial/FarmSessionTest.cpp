#include "session/FarmSession.h"

#include "app/CTreeListDoc.h"
#include "support/EngineFakes.h"
#include "support/FakeSerialControl.h"

#include <QObject>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A session on a hand-filled line, with farm 0 a direct farm with unit 3; the views stand
// before the session, so they outlive its document.
struct SessionFixture {
    ScratchDirectory workDir;
    RecordingFrame frame;
    FakeSerialControl* line = nullptr; // the session's
    std::unique_ptr<FarmSession> session;
    int ticks = 0;

    SessionFixture() {
        FarmSession::Seams seams;
        seams.clock = std::make_unique<ManualClock>();
        seams.speaker = std::make_unique<RecordingSpeaker>();
        auto fake = std::make_unique<FakeSerialControl>();
        line = fake.get();
        seams.line = std::move(fake);
        session = std::make_unique<FarmSession>(Language::English, workDir.Path(), std::move(seams),
                                                &frame);
        QObject::connect(session.get(), &FarmSession::ticked, [this] { ++ticks; });
        ConfigureUnits(session->Document().Farm(0), {3});
    }
};

} // namespace

TEST(FarmSession, ASimulatedLineTakesThePortControlsPlaceAndEachTickRunsTheDocumentFirst) {
    SessionFixture f;
    EXPECT_EQ(&f.session->Line(), f.line);
    f.session->Document().FarmConnect(0);
    ASSERT_TRUE(f.line->open);
    bool scanBeforeTheNotice = false;
    QObject::connect(f.session.get(), &FarmSession::ticked, [&f, &scanBeforeTheNotice] {
        scanBeforeTheNotice = !f.line->written.empty();
    });
    for (int tick = 0; tick < 5 && !scanBeforeTheNotice; ++tick) {
        f.session->Tick();
    }
    EXPECT_TRUE(scanBeforeTheNotice) << "ticked() comes after the document's tick";
    EXPECT_GE(f.ticks, 1);
}

TEST(FarmSession, TheEndStopsTheTickAndATickAfterItDoesNothing) {
    SessionFixture f;
    f.session->Document().FarmConnect(0);
    f.session->StartTick();
    ASSERT_TRUE(f.session->TickRunning());

    f.session->End();
    EXPECT_TRUE(f.session->Ended());
    EXPECT_FALSE(f.session->TickRunning());
    const std::size_t writes = f.line->written.size();
    f.session->Tick();
    EXPECT_EQ(f.ticks, 0);
    EXPECT_EQ(f.line->written.size(), writes);
}
