#include "app/kilnmon/PrintingKilnList.h"

#include "kiln/KilnDecoding.h"

#include <string>

namespace {

constexpr int kNodeCount = 254;

bool ValidNodeIndex(int nodeIndex) {
    return nodeIndex >= 0 && nodeIndex < kNodeCount;
}

const char* IconWord(int icon) {
    switch (icon) {
    case KilnLineText::kIconNormal:
        return "normal";
    case KilnLineText::kIconAlarm:
        return "alarm";
    default:
        return "no data";
    }
}

constexpr const char* kNoScale = "~";

// The scale a record's temperatures are shown in; none for a line without data.
const char* ScaleOf(const KilnRecord& record) {
    if (record.m_iCuringMethod != CM_AH && record.m_iCuringMethod != CM_DT) {
        return kNoScale;
    }
    return record.m_bCentigrade != 0 ? "°C" : "°F";
}

} // namespace

std::string PrintingKilnList::Format(const KilnLineText::Line& line, const char* scale, int icon) {
    std::string text = "kiln " + line[0];
    for (std::size_t i = 1; i < KilnLineText::kVisibleColumns.size(); ++i) {
        text += " | " + line[static_cast<std::size_t>(KilnLineText::kVisibleColumns[i])];
    }
    text += " | ";
    text += scale != nullptr ? scale : kNoScale;
    text += " | ";
    text += IconWord(icon);
    return text;
}

std::string PrintingKilnList::HeaderText() const {
    KilnLineText::Line headers;
    for (int column : KilnLineText::kVisibleColumns) {
        headers[static_cast<std::size_t>(column)] = m_texts.Header(column);
    }
    std::string text = "kiln  " + headers[0];
    for (std::size_t i = 1; i < KilnLineText::kVisibleColumns.size(); ++i) {
        text += " | " + headers[static_cast<std::size_t>(KilnLineText::kVisibleColumns[i])];
    }
    text += " | Scale | State";
    return text;
}

void PrintingKilnList::PrintHeader() const {
    std::fprintf(m_pOut, "%s\n", HeaderText().c_str());
    std::fflush(m_pOut);
}

void PrintingKilnList::Print(int nodeIndex) const {
    const auto& line = m_lines[static_cast<std::size_t>(nodeIndex)];
    if (!line) {
        return;
    }
    std::fprintf(m_pOut, "%s\n",
                 Format(*line, m_scales[static_cast<std::size_t>(nodeIndex)],
                        m_icons[static_cast<std::size_t>(nodeIndex)])
                     .c_str());
    std::fflush(m_pOut);
}

void PrintingKilnList::nOTIFYoFtREEsELECTION(bool clear, int farmIndex, const UnitSlots& slots) {
    if (farmIndex != m_iDisplayedFarm) {
        m_iDisplayedFarm = farmIndex;
        m_lines.fill(std::nullopt);
        PrintHeader();
        DrawTheDisplay(clear, slots);
    } else if (clear) {
        DrawTheDisplay(true, slots);
    }
}

void PrintingKilnList::DrawTheDisplay(bool clear, const UnitSlots& slots) {
    for (int nodeIndex = 0; nodeIndex < kNodeCount; ++nodeIndex) {
        const auto& record = slots[static_cast<std::size_t>(nodeIndex)];
        if (!record) {
            continue;
        }
        auto& line = m_lines[static_cast<std::size_t>(nodeIndex)];
        const char*& scale = m_scales[static_cast<std::size_t>(nodeIndex)];
        if (clear && line) {
            KilnLineText::Apply(*line, KilnLineText::Cleared());
            m_icons[static_cast<std::size_t>(nodeIndex)] = KilnLineText::kIconNoData;
            scale = kNoScale;
        } else if (clear) {
            KilnRecord none;
            none.m_byIdentificationCode = record->m_byIdentificationCode;
            line = m_texts.Inserted(none);
            m_icons[static_cast<std::size_t>(nodeIndex)] = KilnLineText::kIconNoData;
            scale = kNoScale;
        } else {
            line = m_texts.Inserted(*record);
            m_icons[static_cast<std::size_t>(nodeIndex)] = KilnLineText::InsertedIcon(*record);
            scale = ScaleOf(*record);
        }
        Print(nodeIndex);
    }
}

void PrintingKilnList::NotifyOfData(int retryCountdown, int farmIndex, const KilnRecord& newRecord,
                                    const KilnRecord& oldRecord, int nodeId) {
    const int nodeIndex = nodeId - 1;
    if (retryCountdown >= 1 || farmIndex != m_iDisplayedFarm || !ValidNodeIndex(nodeIndex)) {
        return;
    }
    auto& line = m_lines[static_cast<std::size_t>(nodeIndex)];
    int& icon = m_icons[static_cast<std::size_t>(nodeIndex)];
    m_scales[static_cast<std::size_t>(nodeIndex)] = ScaleOf(newRecord);
    if (line) {
        const KilnLineText::Update update = m_texts.Updated(newRecord, oldRecord);
        KilnLineText::Apply(*line, update);
        if (update.icon >= 0) {
            icon = update.icon;
        }
    } else {
        line = m_texts.Inserted(newRecord);
        icon = KilnLineText::InsertedIcon(newRecord);
    }
    Print(nodeIndex);
}

void PrintingKilnList::NotifyOfStartupScanStatus(bool /*startupScanComplete*/) {
    // Only an open controller sheet cares, and there is none.
}

void PrintingKilnList::nOTIFYoFsTATUS(int /*replyCode*/) {
    // Commit results go to the controller sheet, which this monitor never opens.
}

void PrintingKilnList::RemoveLine(int nodeIndex, int /*itemIndex*/) {
    if (ValidNodeIndex(nodeIndex)) {
        m_lines[static_cast<std::size_t>(nodeIndex)].reset();
    }
}

int PrintingKilnList::NodeIndexOfItem(int itemIndex) const {
    int item = -1;
    for (int nodeIndex = 0; nodeIndex < kNodeCount; ++nodeIndex) {
        if (m_lines[static_cast<std::size_t>(nodeIndex)] && ++item == itemIndex) {
            return nodeIndex;
        }
    }
    return 0;
}

const std::optional<KilnLineText::Line>& PrintingKilnList::ShownLine(int nodeIndex) const {
    static const std::optional<KilnLineText::Line> kNone;
    return ValidNodeIndex(nodeIndex) ? m_lines[static_cast<std::size_t>(nodeIndex)] : kNone;
}
