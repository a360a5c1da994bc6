#pragma once

#include "app/Clock.h"
#include "kiln/KilnRecord.h"

#include <string>

// The texts of a PC log file: its name, the stamp that starts every data line and the data of
// one unit. Everything is formatted from values, never from the wall clock.

// Two-digit year of the file name and the line stamp: 99 for 1999, 6 for 2006.
int LogTwoDigitYear(int year);

// "YYMMDD_hhmmss", the part of a log file name that makes each connection's file unique.
std::string LogFileTimeStamp(const LocalDateTime& when);

// "%03d_%s.CSV" of the farm number (farm index + 1) and the time stamp.
std::string LogFileLeafName(int farmNumber, const LocalDateTime& when);

// "MM/DD/YY,hh:mm:ss," — the start of every data line.
std::string LogLineTimeStamp(const LocalDateTime& when);

// The data line's fields (PcLogLine): node ID, scale code and the four RTDs in the unit's own
// whole degrees. A raw value without a valid reading is logged as the number
// it converts to: the file keeps what the unit sent.
std::string DetailLineText(int nodeId, const KilnRecord& record);
