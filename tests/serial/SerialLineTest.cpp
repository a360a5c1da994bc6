#include "SerialTestSupport.h"
#include "support/DocProbe.h"

#include <gtest/gtest.h>

#include <QtTest/QTest>

namespace {

constexpr std::size_t kConnectionBurst = 480;

class SerialLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.Open()) << pty.Error();
        qputenv("KILNWATCH_COM1", QByteArray::fromStdString(pty.SlavePath()));
    }
    void TearDown() override { qunsetenv("KILNWATCH_COM1"); }

    // Connects farm 0 (units given, direct line on COM1) and runs the ticks up to the one that
    // sends the first scan. The connection burst is taken off the line unseen, so the farm
    // does not spend two seconds of line time listening to it.
    void ConnectAndSettle(ProgramSide& side, std::initializer_list<int> units) {
        ConfigureUnits(side.doc.Farm(0), units);
        side.doc.FarmConnect(0);
        ASSERT_TRUE(side.doc.Farm(0).m_bFarmIsConnected);
        ASSERT_TRUE(side.control.IsOpen());
        side.doc.Timer1_Tick();
        ASSERT_TRUE(SwallowFromMaster(pty.MasterFd(), kConnectionBurst));
        side.doc.Timer1_Tick();
        side.doc.Timer1_Tick();
    }

    PseudoTerminal pty;
};

} // namespace

TEST_F(SerialLine, TakesAReplyPacedAtLineSpeedOnceAtItsFullLength) {
    // Byte by byte, and in the bursts of a UART with a 14-byte receive FIFO.
    for (const int fifoTrigger : {1, 14}) {
        SCOPED_TRACE(fifoTrigger);
        ASSERT_TRUE(pty.Open()) << pty.Error();
        qputenv("KILNWATCH_COM1", QByteArray::fromStdString(pty.SlavePath()));
        ProgramSide side;
        ConnectAndSettle(side, {3});
        SimulatedFarEnd farEnd(pty.MasterFd(), FarmOf({3}), fifoTrigger);

        side.doc.Timer1_Tick();
        ASSERT_TRUE(QTest::qWaitFor([&] { return side.RepliesTaken() > 0; }, 2000));
        QTest::qWait(100);

        ASSERT_EQ(side.RepliesTaken(), 1);
        EXPECT_EQ(side.list.data.back().nodeId, 3);
        EXPECT_EQ(side.list.data.back().newRecord.m_byIdentificationCode, 3);
        EXPECT_EQ(side.list.data.back().newRecord.m_iUnitStatus, 4) << "the farm's unit runs";
        // 60 bytes at 2400 bit/s take a quarter of a second: they came in pieces, and only
        // the piece that completed the reply handed it on.
        EXPECT_GE(side.events.dataEvents, fifoTrigger == 1 ? 10 : 4);
        EXPECT_EQ(side.control.BytesWaiting(), 0);
        EXPECT_FALSE(farEnd.Failed());
    }
}

TEST_F(SerialLine, BytesLeftFromBeforeAQueryAreDiscardedByItsWrite) {
    ProgramSide side;
    ConnectAndSettle(side, {3});
    const std::uint8_t stale[] = {0x55, 0x01, 0x02, 0x03, 0x04};
    ASSERT_EQ(::write(pty.MasterFd(), stale, sizeof stale), static_cast<ssize_t>(sizeof stale));
    ASSERT_TRUE(QTest::qWaitFor([&] { return side.control.BytesWaiting() == 5; }, 1000));

    SimulatedFarEnd farEnd(pty.MasterFd(), FarmOf({3}));
    side.doc.Timer1_Tick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return side.RepliesTaken() > 0; }, 2000));
    EXPECT_EQ(side.RepliesTaken(), 1);
}

TEST_F(SerialLine, AnAnswerLongerThanAskedIsNeverTakenAndTheNextWriteClearsIt) {
    for (const bool noiseInFront : {false, true}) {
        SCOPED_TRACE(noiseInFront ? "noise before the reply" : "a byte slipped into the reply");
        ASSERT_TRUE(pty.Open()) << pty.Error();
        qputenv("KILNWATCH_COM1", QByteArray::fromStdString(pty.SlavePath()));
        ProgramSide side;
        ConnectAndSettle(side, {3});
        farmsim::FarmConfig config = FarmOf({3});
        (noiseInFront ? config.faults.noise : config.faults.extraByte) = 1.0;
        SimulatedFarEnd farEnd(pty.MasterFd(), config);

        side.doc.Timer1_Tick();
        // Whatever arrives first, at least 61 bytes come for a 60-byte reply.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return farEnd.Farm().Counters().bytesToPc >= 61 &&
                       (side.control.BytesWaiting() > 0 || side.events.dataEvents > 0);
            },
            2000));
        QTest::qWait(100);
        EXPECT_EQ(side.RepliesTaken(), 0);
        EXPECT_GT(side.events.dataEvents, 0);

        // The retry's write empties the buffer before anything else happens.
        side.doc.Timer1_Tick();
        EXPECT_EQ(side.control.BytesWaiting(), 0);
        EXPECT_EQ(DocProbe(side.doc).AttemptNumber(), 2);
    }
}

TEST_F(SerialLine, AVanishedFarEndClosesThePortOnceWithoutAnErrorStorm) {
    ProgramSide side;
    ConfigureUnits(side.doc.Farm(0), {3});
    side.doc.FarmConnect(0);
    ASSERT_TRUE(side.control.IsOpen());
    const int errorsBefore = side.control.ErrorReports();

    pty.CloseMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !side.control.IsOpen(); }, 1000));

    EXPECT_EQ(side.portLostSignals, 1);
    EXPECT_FALSE(side.link.IsPortOpen());
    EXPECT_FALSE(side.doc.Farm(0).m_bFarmIsConnected) << "closing marks the farm disconnected";
    const int errorsAtClose = side.control.ErrorReports() - errorsBefore;
    EXPECT_GE(errorsAtClose, 1);
    EXPECT_LE(errorsAtClose, 20);

    QTest::qWait(200);
    EXPECT_EQ(side.control.ErrorReports() - errorsBefore, errorsAtClose) << "nothing spins";
    side.doc.Timer1_Tick();
    EXPECT_EQ(side.frame.Last(), "NOT CONNECTED");
}

TEST_F(SerialLine, ModemSequenceRunsOverAPseudoTerminalThatHasNoCarrier) {
    ProgramSide side;
    ConfigureUnits(side.doc.Farm(0), {3});
    side.doc.Farm(0).m_byConnectionType = CT_LOCAL_MODEM;
    side.doc.FarmConnect(0);
    ASSERT_TRUE(side.control.IsOpen())
        << "the modem lines cannot be set, the port opens all the same";
    EXPECT_FALSE(side.control.HasModemLines());
    EXPECT_EQ(side.control.CarrierDetect(), 0);

    std::string line;
    for (int tick = 0; tick < 8; ++tick) {
        side.doc.Timer1_Tick();
        line += ReadFromMaster(pty.MasterFd(), 1, 100);
    }
    EXPECT_EQ(line, "+++ATH0\r\nATE0\r\nATX1D\r\n");
    QTest::qWait(3 * QtSerialPortControl::kCarrierPollMs);
    EXPECT_EQ(side.events.carrierEvents, 0);
    EXPECT_EQ(side.doc.ConnectStage(), 4);
}

TEST_F(SerialLine, APortWithoutADeviceDoesNotOpen) {
    ProgramSide side;
    qputenv("KILNWATCH_COM2", "/nonexistent/kilnwatch-test-port");
    side.doc.Farm(1).m_iSerialPort = 2;
    side.doc.FarmConnect(1);
    qunsetenv("KILNWATCH_COM2");
    EXPECT_FALSE(side.control.IsOpen());
    EXPECT_FALSE(side.control.LastOpenError().isEmpty());
    EXPECT_EQ(side.frame.Last(), "UNABLE TO OPEN THE PORT");

    // Only COM1 to COM4 exist.
    side.control.SetPortNumber(5);
    EXPECT_EQ(side.control.Open(), 0);
}

TEST_F(SerialLine, APortAnotherProgramHoldsIsSaidToBeInUseByName) {
    // Another program's serial library takes the port's lock and its exclusive open.
    QSerialPort other;
    other.setPortName(QString::fromStdString(pty.SlavePath()));
    ASSERT_TRUE(other.open(QIODevice::ReadWrite)) << other.errorString().toStdString();

    QtSerialPortControl control;
    control.SetPortNumber(1);
    EXPECT_EQ(control.Open(), 0);
    EXPECT_EQ(control.LastOpenError().toStdString(),
              pty.SlavePath() + " is in use by another program");

    other.close();
    EXPECT_EQ(control.Open(), 1) << "free again once the other program lets go";
    EXPECT_TRUE(control.LastOpenError().isEmpty());
    control.Close();
}

TEST_F(SerialLine, ReopeningAfterACloseFindsAnEmptyBuffer) {
    QtSerialPortControl control;
    control.SetPortNumber(1);
    ASSERT_EQ(control.Open(), 1);
    EXPECT_EQ(control.Close(), 0);

    // Bytes that reach a closed port are waiting in the device when it is opened again.
    const std::uint8_t stale[] = {1, 2, 3, 4, 5, 6, 7};
    ASSERT_EQ(::write(pty.MasterFd(), stale, sizeof stale), static_cast<ssize_t>(sizeof stale));
    QTest::qWait(50);
    ASSERT_EQ(control.Open(), 1);
    QTest::qWait(50);
    EXPECT_EQ(control.BytesWaiting(), 0);
}
