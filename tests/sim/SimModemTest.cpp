#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using farmsim::Farm;
using farmsim::FarmConfig;
using farmsim::Mode;
using farmsim::ModemState;
using namespace simtest;

namespace {

FarmConfig WithModem(int carrierDelayMs = 3000, bool neverAnswers = false) {
    FarmConfig config;
    config.units = {UnitAt(4, Mode::Run)};
    config.modem.present = true;
    config.modem.carrierDelayMs = carrierDelayMs;
    config.modem.neverAnswers = neverAnswers;
    return config;
}

// The PC's connect sequence: one step per one-second tick, from the tick at startMs.
void Connect(Farm& farm, std::int64_t startMs, const std::string& dial) {
    Write(farm, "+++", startMs + 2000);
    Write(farm, "ATH0\r\n", startMs + 4000);
    Write(farm, "ATE0\r\n", startMs + 5000);
    Write(farm, dial, startMs + 7000);
}

} // namespace

TEST(SimModem, DialRaisesCarrierAfterTheDialDelayAndThenCarriesFrames) {
    Farm farm(WithModem(3000));
    EXPECT_FALSE(farm.Carrier());
    Connect(farm, 0, "ATDT5551234\r\n");
    // The dial command's CR, its 12th byte, is in at 7050 ms; the far end answers 3 s later.
    farm.AdvanceTo(10049);
    EXPECT_FALSE(farm.Carrier());
    farm.AdvanceTo(10051);
    EXPECT_TRUE(farm.Carrier());
    const std::string said = Text(farm.TakeOutputUpTo(11000));
    EXPECT_NE(said.find("\r\nOK\r\n"), std::string::npos);
    EXPECT_NE(said.find("CONNECT 2400\r\n"), std::string::npos);
    EXPECT_EQ(farm.Modem()->LastNumber(), "5551234");
    EXPECT_EQ(farm.Modem()->State(), ModemState::Online);

    const Bytes reply = Exchange(farm, Scan(4), 14000);
    ASSERT_EQ(reply.size(), 60u);
    EXPECT_TRUE(ChecksumHolds(reply, 2));
}

TEST(SimModem, LocalDialWithoutANumberConnectsToo) {
    Farm farm(WithModem(500));
    Connect(farm, 0, "ATX1D\r\n");
    farm.AdvanceTo(8000);
    EXPECT_TRUE(farm.Carrier());
    EXPECT_EQ(farm.Modem()->Dials(), 1u);
    EXPECT_EQ(farm.Modem()->LastNumber(), "");
}

TEST(SimModem, EchoesCommandsUntilEchoIsTurnedOff) {
    Farm farm(WithModem());
    Write(farm, "ATH0\r\n", 1000);
    EXPECT_EQ(Text(farm.TakeOutputUpTo(1999)), "ATH0\r\r\nOK\r\n\n");
    Write(farm, "ATE0\r\n", 2000);
    EXPECT_EQ(Text(farm.TakeOutputUpTo(2999)), "ATE0\r\r\nOK\r\n");
    Write(farm, "ATH0\r\n", 3000);
    EXPECT_EQ(Text(farm.TakeOutputUpTo(3999)), "\r\nOK\r\n");
    Write(farm, "ATQ\x01\r", 4000);
    EXPECT_EQ(Text(farm.TakeOutputUpTo(4999)), "\r\nERROR\r\n");
    EXPECT_FALSE(farm.Carrier());
}

TEST(SimModem, EscapeBetweenGuardTimesThenHangUpDropsCarrier) {
    Farm farm(WithModem(1000));
    Connect(farm, 0, "ATDT1\r\n");
    ASSERT_EQ(Exchange(farm, Scan(4), 12000).size(), 60u);

    // "+++" right behind a frame is data, not an escape.
    Bytes glued = Scan(4);
    glued.insert(glued.end(), {'+', '+', '+'});
    farm.FromPc(glued, 13000);
    farm.AdvanceTo(16000);
    EXPECT_EQ(farm.Modem()->State(), ModemState::Online);

    Write(farm, "+++", 20000);
    farm.AdvanceTo(20900);
    EXPECT_EQ(farm.Modem()->State(), ModemState::Online) << "trailing guard time still running";
    farm.AdvanceTo(21100);
    EXPECT_EQ(farm.Modem()->State(), ModemState::OnlineCommand);
    EXPECT_TRUE(farm.Carrier());
    EXPECT_TRUE(Exchange(farm, Scan(4), 21000 + 1000).empty()) << "frames no longer reach the farm";

    Write(farm, "ATH0\r\n", 24000);
    farm.AdvanceTo(24100);
    EXPECT_FALSE(farm.Carrier());
    EXPECT_EQ(farm.Modem()->State(), ModemState::Command);
}

TEST(SimModem, ModemThatNeverAnswersKeepsCarrierDownAndGivesUp) {
    Farm farm(WithModem(3000, true));
    Connect(farm, 0, "ATDT5551234\r\n");
    farm.AdvanceTo(7000 + 40000);
    EXPECT_FALSE(farm.Carrier());
    EXPECT_EQ(farm.Modem()->State(), ModemState::Dialling);
    const std::string said = Text(farm.TakeOutputUpTo(7000 + 51000));
    EXPECT_NE(said.find("NO CARRIER"), std::string::npos);
    EXPECT_EQ(farm.Modem()->State(), ModemState::Command);
}

TEST(SimModem, LostCarrierCutsTheReplyShortAndTheModemSaysSo) {
    Farm farm(WithModem(1000));
    Connect(farm, 0, "ATDT1\r\n");
    farm.TakeOutputUpTo(12000);
    farm.FromPc(Scan(4), 12000);
    farm.DropCarrier(12100);
    EXPECT_FALSE(farm.Carrier());
    const std::string heard = Text(farm.TakeOutputUpTo(13000));
    EXPECT_LT(heard.size(), 60u);
    EXPECT_NE(heard.find("\r\nNO CARRIER\r\n"), std::string::npos);
    EXPECT_TRUE(Exchange(farm, Scan(4), 14000).empty());

    // The PC's disconnect sequence finds the modem already on hook; a new dial connects again.
    Write(farm, "+++", 17000);
    Write(farm, "ATH0\r\n", 19000);
    Connect(farm, 20000, "ATDT1\r\n");
    farm.AdvanceTo(30000);
    EXPECT_TRUE(farm.Carrier());
    EXPECT_EQ(Exchange(farm, Scan(4), 31000).size(), 60u);
}

TEST(SimModem, ArbitraryBytesNeverLeaveItUnableToTakeCommands) {
    for (const std::uint32_t seed : {1u, 2u, 3u}) {
        Farm farm(WithModem(200));
        std::mt19937 random(seed);
        std::int64_t now = 1000;
        for (int burst = 0; burst < 200; ++burst) {
            // Pieces of what a modem listens for, cut and glued at random, among raw bytes,
            // so that it gets dialled, escaped and hung up along the way.
            const std::vector<std::string> pieces = {"ATDT5\r", "+++",   "ATH0\r\n", "ATO\r",
                                                     "ATE0\r",  "ATX1D", "\r",       "AT"};
            Bytes junk;
            for (int n = static_cast<int>(random() % 5); n > 0; --n) {
                if (random() % 3 == 0) {
                    for (int k = static_cast<int>(random() % 40); k > 0; --k) {
                        junk.push_back(static_cast<std::uint8_t>(random()));
                    }
                } else {
                    const std::string& piece = pieces[random() % pieces.size()];
                    junk.insert(junk.end(), piece.begin(), piece.end());
                }
            }
            farm.FromPc(junk, now);
            now += 1 + static_cast<std::int64_t>(random() % 1500);
        }
        while (const auto next = farm.NextActivityMs()) {
            now = *next;
            farm.TakeOutputUpTo(now);
        }
        farm.DropCarrier(now + 1000);
        Write(farm, "\rATE1\r", now + 2000);
        const std::string said = Text(farm.TakeOutputUpTo(now + 3000));
        ASSERT_GE(said.size(), 6u) << "seed " << seed;
        EXPECT_EQ(said.substr(said.size() - 6), "\r\nOK\r\n") << "seed " << seed;
        EXPECT_GT(farm.Modem()->Dials(), 0u) << "seed " << seed;
        EXPECT_GT(farm.Counters().carrierDrops, 0u) << "seed " << seed;
    }
}
