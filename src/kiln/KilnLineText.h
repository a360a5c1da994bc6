#pragma once

#include "app/Language.h"
#include "kiln/KilnRecord.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

// The texts of one unit's line in the kiln list, column by column. A freshly inserted line
// and an updated one follow different rules (an update redraws only what changed, skips the
// "***" rule and shows "~" in Standby where an insert shows the value); both are kept here so
// every display of the list shows the same texts.
class KilnLineText {
public:
    static constexpr int kColumnCount = 18;
    using Line = std::array<std::string, kColumnCount>;

    // Image list indices of the line's icon. A record says only whether it has data; that a
    // unit without data stopped answering is known from the line (KilnLineState).
    static constexpr int kIconNoData = 1;
    static constexpr int kIconNormal = 2;
    static constexpr int kIconAlarm = 3;
    static constexpr int kIconNotAnswering = 4;

    // Columns that have a width in the list; the rest are filled but not shown.
    static constexpr std::array<int, 6> kVisibleColumns = {0, 2, 4, 5, 6, 9};

    // What an update of a shown line redraws: (column, text) pairs in the order they are
    // drawn, and the new icon, or -1 when the icon is left as it is.
    struct Update {
        std::vector<std::pair<int, std::string>> columns;
        int icon = -1;
    };

    explicit KilnLineText(Language language) : m_language(language) {}

    // The line as it is inserted for a record.
    Line Inserted(const KilnRecord& record) const;
    static int InsertedIcon(const KilnRecord& record);

    // What changes on a shown line when newRecord arrives over oldRecord.
    Update Updated(const KilnRecord& newRecord, const KilnRecord& oldRecord) const;
    static void Apply(Line& line, const Update& update);

    // A shown line wiped to "no data": columns 1-17 become "~", column 0 is kept.
    static Update Cleared();

    // Header text of a column; empty for the columns without a width.
    std::string Header(int column) const;

    // Column 0: " %03d" of the identification code.
    static std::string IdentificationText(std::uint8_t code);

private:
    std::string Text(int id) const;
    std::string StatusText(const KilnRecord& record) const;
    std::string AlarmOrStandbyText(const KilnRecord& record) const;
    std::string CuringText(const KilnRecord& record) const;
    std::string DamperText(const KilnRecord& record) const;
    static std::string Temperature(const KilnRecord& record, std::uint16_t raw);
    static std::string CheckedTemperature(const KilnRecord& record, std::uint16_t raw);
    static std::string Tenths(double value);
    static int UpdatedIcon(const KilnRecord& record);

    Language m_language;
};
