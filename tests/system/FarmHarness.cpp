#include "system/FarmHarness.h"

#include "support/DocProbe.h"

#include <fstream>

namespace {

SessionParts::Seams PartSeams(Clock& clock, SpeakerBackend& speaker, SerialPortControl& line,
                              FrameServices& frame) {
    SessionParts::Seams seams;
    seams.clock = &clock;
    seams.speaker = &speaker;
    seams.line = &line;
    seams.frame = &frame;
    return seams;
}

} // namespace

FarmHarness::FarmHarness(farmsim::FarmConfig config, std::uint64_t lineSeed)
    : m_farm(std::move(config)), m_line(m_farm, lineSeed),
      m_parts(Language::English, m_workDir.Path(), PartSeams(m_clock, m_speaker, m_line, m_frame)) {
    Doc().SetKilnListView(&m_list);
    Doc().SetFarmTreeView(&m_tree);
}

FarmHarness::~FarmHarness() = default;

LocalDateTime FarmHarness::LineClock::Now() const {
    constexpr std::int64_t kStartSeconds = 8 * 3600 + 14 * 60 + 57;
    const std::int64_t seconds = kStartSeconds + m_line.NowMs() / 1000;
    std::int64_t days = seconds / 86400; // days after 6 December 2006
    LocalDateTime when;
    when.hour = static_cast<int>(seconds % 86400 / 3600);
    when.minute = static_cast<int>(seconds % 3600 / 60);
    when.second = static_cast<int>(seconds % 60);
    // Runs are days long at most: December, then January of the next year.
    when.year = 2006;
    when.month = 12;
    when.day = 6 + static_cast<int>(days);
    if (when.day > 31) {
        when.year = 2007;
        when.month = 1;
        when.day -= 31;
    }
    return when;
}

void FarmHarness::StartWithAnnunciation() {
    const std::string path = m_workDir.Path() + "/registry.reg";
    std::ofstream(path, std::ios::binary)
        << "Windows Registry Editor Version 5.00\r\n\r\n"
        << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel\\WRB Explorer]\r\n"
        << "\"Alarm Annunciation\"=dword:00000001\r\n";
    m_hive = std::make_unique<HiveFileBackend>(path);
    Doc().SetRegistryBackend(m_hive.get());
    Doc().SetComPortProbe(&m_noPorts);
    Doc().OnNewDocument();
}

void FarmHarness::ConfigureFarm(std::uint8_t connectionType, const std::string& phone) {
    FarmRecord& farm = Doc().Farm(0);
    for (const auto& unit : m_farm.Units()) {
        farm.m_bNodeConfigured[static_cast<std::size_t>(unit.NodeId() - 1)] = 1;
    }
    ConfigureUnits(farm, {});
    farm.m_byConnectionType = connectionType;
    farm.m_strPhoneNumber = phone;
}

void FarmHarness::RunTicks(int ticks) {
    for (int i = 0; i < ticks; ++i) {
        m_nowMs += 1000;
        m_line.RunUntil(m_nowMs);
        if (beforeTick) {
            beforeTick(m_ticks + 1);
        }
        Doc().Timer1_Tick();
        ++m_ticks;
        // Everything written since the last tick ended: the tick's own write and any made
        // between ticks, which there must never be.
        m_writesInLastTick = m_line.Writes().size() - m_writesSeen;
        m_writesSeen = m_line.Writes().size();

        const bool connected = Doc().CurrentFarm().m_bFarmIsConnected != 0;
        if (connected && !m_wasConnected) {
            m_newTargets.clear();
        }
        m_wasConnected = connected;
        if (m_writesInLastTick == 1) {
            const auto& frame = m_line.Writes().back().bytes;
            if (frame.size() == 4 && frame[1] == 0x51 && DocProbe(Doc()).AttemptNumber() == 1) {
                m_newTargets.push_back(frame[0]);
            }
        }
        if (afterTick) {
            afterTick();
        }
    }
}
