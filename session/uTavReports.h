#pragma once

#include <string>

class TTavSession;
class TxViewReader;

// The file name of the global simple-rules report, relative to the working directory: created at
// start-up (a TReportFile), one block appended per "&Simple rules" command.
inline constexpr const char* kGlobalReportFileName = "TavGlobalRep.txt";

// One block of the global report for the session's tables (CR LF lines): the class rows of the
// Frequency table, then every simple rule with the Frequency table's figures under it. Walks the
// Simple rules table and returns to its first row; sets DataReady. "" without a loaded table.
std::string globalReportBlock(TTavSession& session);

// The clipboard report of a Frequency table (CR LF lines, tab-separated): "Tav", the description
// with the date and time of one clock reading, the column heading and one line per row. Reads the
// rows without moving the table's cursor.
std::string clipboardReportText(TxViewReader& frequency, const std::string& description);
