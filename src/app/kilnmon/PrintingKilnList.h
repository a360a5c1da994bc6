#pragma once

#include "app/Language.h"
#include "kiln/KilnLineText.h"
#include "kiln/KilnListView.h"

#include <array>
#include <cstdio>
#include <optional>
#include <string>

// The kiln list without a window: it keeps each unit's line as the list would show it and prints
// the line whenever the list would redraw it, one line of text per report:
//   kiln  003 | Run | 150 | 151 | 152 | 160 | °F | normal
// with the WRB ID, Status and RTD1-RTD4 columns, the unit's scale ("~" without data), then the
// line's icon (no data, normal, alarm). A header line names the same columns.
class PrintingKilnList : public KilnListView {
public:
    PrintingKilnList(Language language, std::FILE* out) : m_texts(language), m_pOut(out) {}

    void nOTIFYoFtREEsELECTION(bool clear, int farmIndex, const UnitSlots& slots) override;
    void NotifyOfData(int retryCountdown, int farmIndex, const KilnRecord& newRecord,
                      const KilnRecord& oldRecord, int nodeId) override;
    void NotifyOfStartupScanStatus(bool startupScanComplete) override;
    void nOTIFYoFsTATUS(int replyCode) override;
    void RemoveLine(int nodeIndex, int itemIndex) override;
    int NodeIndexOfItem(int itemIndex) const override;

    int DisplayedFarm() const { return m_iDisplayedFarm; }
    // The line of a node index as shown, or nothing.
    const std::optional<KilnLineText::Line>& ShownLine(int nodeIndex) const;
    // The text printed for a line, and the header over such lines.
    static std::string Format(const KilnLineText::Line& line, const char* scale, int icon);
    std::string HeaderText() const;

private:
    void DrawTheDisplay(bool clear, const UnitSlots& slots);
    void Print(int nodeIndex) const;
    void PrintHeader() const;

    KilnLineText m_texts;
    std::FILE* m_pOut;
    int m_iDisplayedFarm = -1;
    std::array<std::optional<KilnLineText::Line>, 254> m_lines{};
    std::array<int, 254> m_icons{};
    std::array<const char*, 254> m_scales{};
};
