#pragma once

#include "app/Clock.h"
#include "events/Event.h"

#include <cstdint>
#include <string>
#include <string_view>

// The journal's text: one CSV line an event, CR LF, the date and time as the PC logs write
// them ("MM/DD/YY,hh:mm:ss"), then farm number, node ID (empty when none), kind and detail (in
// quotes when it holds a comma or a quote).
namespace event_line {

inline constexpr std::string_view kHeader = "Date,Time,Farm,Unit,Event,Detail\r\n";

// The date and time of local seconds (the inverse of LocalSeconds).
LocalDateTime DateTimeOf(std::int64_t localSeconds);

// The whole line, CR LF included.
std::string Format(const Event& event);
// A line without its end; year: the full year of the file the line is in (its name says it),
// which the line's two-digit year must match. False for anything that is not such a line.
bool Parse(std::string_view line, int year, Event& event);

// "2026-12-08 14:03:07 farm 1 unit 12 alarm-raised High": kilnmon's line without "event ".
std::string Text(const Event& event);

// "Events_YYYYMM.CSV" of the month the time is in.
std::string FileName(std::int64_t localSeconds);
// True, with the year and month, for a name of that form.
bool ParseFileName(std::string_view name, int& year, int& month);

} // namespace event_line
