#include "system/FarmHarness.h"

FarmHarness::FarmHarness(farmsim::FarmConfig config, std::uint64_t lineSeed)
    : m_farm(std::move(config)), m_line(m_farm, lineSeed) {
    m_link.AttachControl(&m_line);
    m_link.AttachDocument(&m_doc);
    m_doc.SetPortWriter(&m_link);
    m_doc.SetFrameServices(&m_frame);
    m_doc.SetKilnListView(&m_list);
    m_doc.SetFarmTreeView(&m_tree);
    m_doc.SetClock(&m_clock);
}

void FarmHarness::ConfigureFarm(std::uint8_t connectionType, const std::string& phone) {
    FarmRecord& farm = m_doc.Farm(0);
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
        m_doc.Timer1_Tick();
        ++m_ticks;
        // Everything written since the last tick ended: the tick's own write and any made
        // between ticks, which there must never be.
        m_writesInLastTick = m_line.Writes().size() - m_writesSeen;
        m_writesSeen = m_line.Writes().size();

        const bool connected = m_doc.CurrentFarm().m_bFarmIsConnected != 0;
        if (connected && !m_wasConnected) {
            m_newTargets.clear();
        }
        m_wasConnected = connected;
        if (m_writesInLastTick == 1) {
            const auto& frame = m_line.Writes().back().bytes;
            if (frame.size() == 4 && frame[1] == 0x51 && m_doc.AttemptNumber() == 1) {
                m_newTargets.push_back(frame[0]);
            }
        }
        if (afterTick) {
            afterTick();
        }
    }
}
