#pragma once

// Recording stand-ins for everything the document talks to, and small builders of farm
// configurations and replies, for tests of the transaction engine.

#include "alarm/SpeakerBackend.h"
#include "app/CTreeListDoc.h"
#include "app/Clock.h"
#include "app/FrameServices.h"
#include "kiln/FarmTreeView.h"
#include "kiln/KilnListView.h"
#include "net/Frames.h"
#include "support/RecordingPortWriter.h"

#include <filesystem>
#include <initializer_list>
#include <random>
#include <string>
#include <system_error>
#include <vector>

// Records the status lines, and answers the Log Descriptor prompt: at once when
// answerDescriptorAtOnce is set (OK with descriptorText, or dismissed), else only when the
// test calls AnswerDescriptor. Held is the default, so a test that does not care about PC
// logging never has a logging cycle running.
class RecordingFrame : public FrameServices {
public:
    void SetStatusText(const std::string& text) override { lines.push_back(text); }
    const std::string& Last() const { return lines.back(); }
    std::vector<std::string> lines;

    void AskLogDescriptor(CTreeListDoc& document, const std::string& previousText) override {
        descriptorPrompts.push_back(previousText);
        m_promptDocument = &document;
        if (answerDescriptorAtOnce) {
            AnswerDescriptor(confirmDescriptor, descriptorText);
        }
    }
    // Answers the prompt that is open; false when none is.
    bool AnswerDescriptor(bool confirmed, const std::string& text) {
        CTreeListDoc* document = m_promptDocument;
        m_promptDocument = nullptr;
        if (document == nullptr) {
            return false;
        }
        document->OnLogDescriptorAnswered(confirmed, confirmed ? text : std::string());
        return true;
    }
    bool DescriptorPromptShown() const { return m_promptDocument != nullptr; }

    bool answerDescriptorAtOnce = false;
    bool confirmDescriptor = true;
    std::string descriptorText;
    std::vector<std::string> descriptorPrompts; // the text offered each time

private:
    CTreeListDoc* m_promptDocument = nullptr;
};

// The speaker's operations in order: a divisor load, or the gate opened or closed.
class RecordingSpeaker : public SpeakerBackend {
public:
    struct Op {
        enum Kind { Divisor, Gate } kind;
        int value; // the divisor, or 1 / 0 for the gate
        bool operator==(const Op&) const = default;
    };
    void SetDivisor(std::uint16_t divisor) override { ops.push_back({Op::Divisor, divisor}); }
    void SetGate(bool open) override { ops.push_back({Op::Gate, open ? 1 : 0}); }
    std::vector<Op> ops;
};

// A new empty directory under the system's temporary directory, removed with its content.
class ScratchDirectory {
public:
    ScratchDirectory() {
        namespace fs = std::filesystem;
        std::random_device random;
        std::error_code error;
        const fs::path base = fs::temp_directory_path(error);
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            const fs::path candidate = base / ("kilnwatch-test-" + std::to_string(random()));
            if (fs::create_directory(candidate, error)) {
                m_path = candidate.string();
            }
        }
    }
    ~ScratchDirectory() {
        std::error_code error;
        if (!m_path.empty()) {
            std::filesystem::remove_all(m_path, error);
        }
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

class RecordingListView : public KilnListView {
public:
    struct Data {
        int retryCountdown;
        int farmIndex;
        KilnRecord newRecord;
        KilnRecord oldRecord;
        int nodeId;
    };
    void nOTIFYoFtREEsELECTION(bool clear, int farmIndex, const UnitSlots&) override {
        treeSelections.push_back({clear, farmIndex});
    }
    void NotifyOfData(int retryCountdown, int farmIndex, const KilnRecord& newRecord,
                      const KilnRecord& oldRecord, int nodeId) override {
        data.push_back({retryCountdown, farmIndex, newRecord, oldRecord, nodeId});
    }
    void NotifyOfStartupScanStatus(bool complete) override { startupScan.push_back(complete); }
    void nOTIFYoFsTATUS(int replyCode) override { statusCodes.push_back(replyCode); }
    void RemoveLine(int nodeIndex, int itemIndex) override {
        removedLines.push_back({nodeIndex, itemIndex});
    }
    int NodeIndexOfItem(int) const override { return 0; }

    std::vector<std::pair<bool, int>> treeSelections;
    std::vector<Data> data;
    std::vector<bool> startupScan;
    std::vector<int> statusCodes;
    std::vector<std::pair<int, int>> removedLines;
};

class RecordingTreeView : public FarmTreeView {
public:
    void NotifyOfConnection(int farmIndex) override { events.push_back({true, farmIndex}); }
    void NotifyOfDisconnection(int farmIndex) override { events.push_back({false, farmIndex}); }
    std::vector<std::pair<bool, int>> events;
};

// A port as the document sees it: writes are recorded, opening succeeds or not as told, the
// carrier is what the test sets, and a close reports the lost link as the real frame does.
class FakeLinkPort : public RecordingPortWriter {
public:
    explicit FakeLinkPort(CTreeListDoc& document) : m_document(document) {}

    int MF_Port_Write(const std::uint8_t* bytes, int count, int expectedReplyBytes) override {
        if (!open) {
            return 0;
        }
        return RecordingPortWriter::MF_Port_Write(bytes, count, expectedReplyBytes);
    }
    int OpenPort(bool directLine, int comPort) override {
        opens.push_back({directLine, comPort});
        open = openSucceeds;
        return open ? 1 : 0;
    }
    void ClosePort() override {
        ++closes;
        if (open) {
            open = false;
            m_document.FarmLinkLost(false);
        }
    }
    int CarrierDetect() override { return carrier; }

    bool openSucceeds = true;
    bool open = false;
    int carrier = 0;
    int closes = 0;
    std::vector<std::pair<bool, int>> opens;

private:
    CTreeListDoc& m_document;
};

class ManualClock : public Clock {
public:
    LocalDateTime Now() const override { return now; }
    void WaitMilliseconds(int milliseconds) override { waited.push_back(milliseconds); }
    LocalDateTime now;
    std::vector<int> waited;
};

// Configures units on a farm the way the document does when it creates the unit records.
inline void ConfigureUnits(FarmRecord& farm, std::initializer_list<int> nodeIds) {
    for (int nodeId : nodeIds) {
        farm.m_bNodeConfigured[static_cast<std::size_t>(nodeId - 1)] = 1;
    }
    farm.m_nUnitCount = 0;
    for (int index = 0; index < kUnitSlotCount; ++index) {
        if (!farm.m_bNodeConfigured[static_cast<std::size_t>(index)]) {
            continue;
        }
        KilnRecord record;
        record.m_byIdentificationCode = static_cast<std::uint8_t>(index + 1);
        farm.m_units[static_cast<std::size_t>(index)] = record;
        ++farm.m_nUnitCount;
        farm.m_iHighestConfiguredIndex = index;
        farm.m_iRoundRobinIndex = index;
        farm.m_iStartupScanEnd = index + 1;
    }
    farm.m_iLastQueriedIndex = farm.m_iRoundRobinIndex;
}

// A valid 60-byte status reply with code 'D'.
inline std::vector<std::uint8_t> StatusReply(int nodeId, std::uint8_t mode = 0xA3,
                                             std::uint8_t statusBits = 0,
                                             std::uint16_t rtd1 = 2640) {
    std::vector<std::uint8_t> reply(60, 0);
    reply[0] = static_cast<std::uint8_t>(nodeId);
    reply[1] = 0x44;
    reply[2] = static_cast<std::uint8_t>(nodeId); // identification code
    reply[4] = mode;
    reply[41] = statusBits;
    reply[44] = static_cast<std::uint8_t>(rtd1 >> 8);
    reply[45] = static_cast<std::uint8_t>(rtd1 & 0xFF);
    const std::uint16_t sum = FrameSum16(reply.data(), 58);
    reply[58] = static_cast<std::uint8_t>(sum >> 8);
    reply[59] = static_cast<std::uint8_t>(sum & 0xFF);
    return reply;
}

// A reply of any length with the code and a right 2-byte checksum.
inline std::vector<std::uint8_t> ShortReply(std::vector<std::uint8_t> body) {
    const std::uint16_t sum = FrameSum16(body.data(), static_cast<int>(body.size()));
    body.push_back(static_cast<std::uint8_t>(sum >> 8));
    body.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    return body;
}

// A document wired to recording fakes.
struct EngineFixture {
    // Declared before the document so both outlive it: its end closes log files there and
    // silences the speaker.
    ScratchDirectory workDir;
    RecordingSpeaker speaker;
    CTreeListDoc doc{Language::English, workDir.Path()};
    FakeLinkPort port{doc};
    RecordingFrame frame;
    RecordingListView list;
    RecordingTreeView tree;
    ManualClock clock;

    EngineFixture() {
        doc.SetPortWriter(&port);
        doc.SetFrameServices(&frame);
        doc.SetKilnListView(&list);
        doc.SetFarmTreeView(&tree);
        doc.SetClock(&clock);
        doc.SetSpeakerBackend(&speaker);
    }
    // The fakes go before the document; its end must not reach them.
    ~EngineFixture() {
        doc.SetPortWriter(nullptr);
        doc.SetFrameServices(nullptr);
        doc.SetKilnListView(nullptr);
        doc.SetFarmTreeView(nullptr);
        doc.SetClock(nullptr);
    }
    EngineFixture(const EngineFixture&) = delete;
    EngineFixture& operator=(const EngineFixture&) = delete;

    void Reply(const std::vector<std::uint8_t>& bytes) {
        doc.pROCESStHErAWdATA(bytes.data(), static_cast<int>(bytes.size()));
    }

    // Node IDs of the scan queries written since the write with index from.
    std::vector<int> ScanTargets(std::size_t from = 0) const {
        std::vector<int> targets;
        for (std::size_t i = from; i < port.writes.size(); ++i) {
            const auto& w = port.writes[i];
            if (w.bytes.size() == 4 && w.bytes[1] == 0x51) {
                targets.push_back(w.bytes[0]);
            }
        }
        return targets;
    }
};
