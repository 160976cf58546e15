#pragma once

#include <string>

class TTavSession;

// The file name of the global simple-rules report, relative to the working directory: created at
// start-up (a TReportFile), one block appended per "&Simple rules" command.
inline constexpr const char* kGlobalReportFileName = "TavGlobalRep.txt";

// One block of the global report for the session's tables (CR LF lines): the class rows of the
// Frequency table, then every simple rule with the Frequency table's figures under it. Walks the
// Simple rules table and returns to its first row; sets DataReady. "" without a loaded table.
std::string globalReportBlock(TTavSession& session);

// The clipboard report of the Frequency table (CR LF lines, tab-separated): "Tav", the
// description with the date and time of one clock reading, the column heading and one line per
// row. Walks the Frequency table; its last row is current afterwards.
std::string clipboardReportText(TTavSession& session, const std::string& description);
