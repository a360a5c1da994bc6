#include "ConfigTestSupport.h"

#include "config/HiveDocument.h"
#include "config/HiveFileBackend.h"
#include "config/RegistryStore.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

using namespace configtest;

namespace {

const std::string kKey = "SOFTWARE\\Vantrel\\WRB Explorer";
constexpr std::size_t kPayloadBytes = 4000;

// Generation number, then the generation's low byte repeated: a torn or mixed write shows.
std::vector<std::uint8_t> Payload(std::uint32_t generation) {
    std::vector<std::uint8_t> bytes(kPayloadBytes, static_cast<std::uint8_t>(generation & 0xFF));
    for (int i = 0; i < 4; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(generation >> (8 * i));
    }
    return bytes;
}

// Reports each finished write with one byte on the pipe.
[[noreturn]] void RewriteForever(const std::string& hive, std::uint32_t generation, int progress) {
#if defined(__linux__)
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    HiveFileBackend backend(hive);
    RegistryStore store(backend);
    store.Open(kHkeyLocalMachine, kKey);
    while (true) {
        const std::vector<std::uint8_t> payload = Payload(++generation);
        backend.SetValue(store.HeldKey(), "Payload", kRegBinary, payload.data(),
                         static_cast<std::uint32_t>(payload.size()));
        [[maybe_unused]] const ssize_t ignored = ::write(progress, "w", 1);
    }
}

// The generation the hive holds, after checking that it parses and is whole.
std::uint32_t CheckHive(const std::string& hive, std::uint32_t oldest) {
    HiveDocument doc;
    EXPECT_TRUE(HiveDocument::Parse(ReadBytes(hive), doc)) << "the hive does not parse";
    const HiveDocument::Value* other = doc.FindValue(kBase, "Alarm Tone Frequency");
    EXPECT_TRUE(other != nullptr && other->data == std::vector<std::uint8_t>({0xBC, 0x02, 0, 0}));
    const HiveDocument::Value* payload = doc.FindValue(kBase, "Payload");
    if (payload == nullptr || payload->data.size() != kPayloadBytes) {
        ADD_FAILURE() << "the payload is missing or torn";
        return oldest;
    }
    std::uint32_t generation = 0;
    for (int i = 0; i < 4; ++i) {
        generation |= static_cast<std::uint32_t>(payload->data[static_cast<std::size_t>(i)])
                      << (8 * i);
    }
    EXPECT_EQ(payload->data, Payload(generation));
    EXPECT_GE(generation, oldest); // the old content or a newer one, never an older one
    return generation;
}

} // namespace

TEST(HiveFileCrash, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewHive) {
    TempDir dir;
    const std::string hive = dir.File("registry.reg");
    {
        HiveFileBackend backend(hive);
        RegistryStore store(backend);
        ASSERT_TRUE(store.Create(kHkeyLocalMachine, kKey));
        ASSERT_TRUE(store.SetDword("Alarm Tone Frequency", 700));
        const std::vector<std::uint8_t> first = Payload(0);
        ASSERT_EQ(backend.SetValue(store.HeldKey(), "Payload", kRegBinary, first.data(),
                                   static_cast<std::uint32_t>(first.size())),
                  0);
    }

    // Half of the kills fall into the writer's start or first write; the others come after
    // a finished write, somewhere in the next one (a write with its flush takes some 20 ms
    // on a disk).
    std::mt19937 random(12345);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(19);
    std::uint32_t generation = 0;
    int kills = 0;
    while (kills < 200 && std::chrono::steady_clock::now() < deadline) {
        int progress[2];
        ASSERT_EQ(::pipe2(progress, O_CLOEXEC), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(progress[0]);
            RewriteForever(hive, generation, progress[1]);
        }
        ::close(progress[1]);
        long range = 5'000'000;
        if (kills % 2 == 1) {
            pollfd ready{progress[0], POLLIN, 0};
            char byte = 0;
            EXPECT_TRUE(::poll(&ready, 1, 5000) == 1 && ::read(progress[0], &byte, 1) == 1)
                << "the writer never finished a write";
            range = 30'000'000;
        }
        const timespec pause{0, static_cast<long>(random() % static_cast<unsigned long>(range))};
        ::nanosleep(&pause, nullptr);
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(progress[0]);
        ++kills;
        generation = CheckHive(hive, generation);
        if (::testing::Test::HasFailure()) {
            break;
        }
    }
    EXPECT_GE(kills, 200);
    EXPECT_GT(generation, 0u);

    // The next writer clears what a killed one left and writes normally.
    HiveFileBackend backend(hive);
    RegistryStore store(backend);
    ASSERT_TRUE(store.Open(kHkeyLocalMachine, kKey));
    ASSERT_TRUE(store.SetDword("Alarm Annunciation", 0));
    EXPECT_FALSE(std::filesystem::exists(hive + ".tmp"));
    CheckHive(hive, generation);
}
