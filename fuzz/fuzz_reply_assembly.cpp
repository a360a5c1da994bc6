// Replies in arbitrary chunks against arbitrary document states: the port I/O half of the main
// frame and the reply dispatch must never read or write out of bounds, whatever arrives, and
// the line never carries more than one frame a tick.

#include "FuzzCheck.h"
#include "app/CTreeListDoc.h"
#include "link/CMainFrameLink.h"
#include "support/EngineFakes.h"
#include "support/FakeSerialControl.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_pos >= m_size; }
    std::uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    std::vector<std::uint8_t> Bytes(std::size_t n) {
        std::vector<std::uint8_t> out;
        while (n-- > 0 && m_pos < m_size) {
            out.push_back(m_data[m_pos++]);
        }
        return out;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 8192) {
        return 0;
    }
    Input in(data, size);
    static const ScratchDirectory workDir; // PC logs never land in the working directory
    // The document's end hangs up a connected modem farm through the link, so everything it
    // reaches is declared first and ends after it, as the program's owners outlive it.
    FakeSerialControl control;
    CMainFrameLink link;
    RecordingFrame frame;
    RecordingListView list;
    CTreeListDoc doc{Language::English, workDir.Path()};
    link.AttachControl(&control);
    link.AttachDocument(&doc);
    doc.SetPortWriter(&link);
    doc.SetFrameServices(&frame);
    doc.SetKilnListView(&list);

    FarmRecord& farm = doc.Farm(0);
    const int unitCount = in.Byte() % 6;
    for (int i = 0; i < unitCount; ++i) {
        const int nodeId = 1 + in.Byte() % 254;
        farm.m_bNodeConfigured[static_cast<std::size_t>(nodeId - 1)] = 1;
    }
    ConfigureUnits(farm, {});
    farm.m_byConnectionType = static_cast<std::uint8_t>(in.Byte() % 3);
    farm.m_strPhoneNumber = "5551234";
    farm.m_iSelectedNode = in.Byte();
    control.carrier = in.Byte() & 1;
    doc.FarmConnect(0);

    while (!in.Empty()) {
        switch (in.Byte() % 9) {
        case 0:
        case 1: {
            const std::size_t before = control.written.size();
            doc.Timer1_Tick();
            FUZZ_CHECK(control.written.size() - before <= 1);
            break;
        }
        case 2:
        case 3:
            control.Arrive(in.Bytes(in.Byte() % 70));
            break;
        case 4: {
            // A reply handed over directly, at a length the frame would never pass.
            const auto bytes = in.Bytes(in.Byte());
            doc.pROCESStHErAWdATA(bytes.empty() ? nullptr : bytes.data(),
                                  static_cast<int>(bytes.size()));
            break;
        }
        case 5:
            doc.Apply_3_1(in.Byte() % 6);
            break;
        case 6:
            if (in.Byte() & 1) {
                doc.ZRM_Query1_Query();
            } else {
                doc.ZRM_QueryN_Adjustment(true);
            }
            break;
        case 7:
            control.RaiseCarrier(in.Byte() & 1);
            break;
        case 8:
            if (farm.m_bFarmIsConnected) {
                doc.fARMdISCONNECT(0);
            } else {
                doc.FarmConnect(0);
            }
            break;
        }
    }
    return 0;
}
