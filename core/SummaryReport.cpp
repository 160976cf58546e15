// The summary report of a loaded table, written next to the data file.

#include <sys/stat.h>

#include "core/Errors.h"
#include "core/FileReplace.h"
#include "core/TextUtils.h"
#include "core/uTavObj.h"

std::string TBaza::summaryReportText() const {
    std::string out;
    writeSummary([&out](std::string_view piece) { out += piece; });
    return out;
}

void TBaza::writeSummary(const std::function<void(std::string_view)>& sink) const {
    const std::string eol = "\r\n";
    std::string out;
    out += "FieldCount = " + std::to_string(FieldCount()) + eol;
    out += joinCommaText(m_names) + eol;
    out += joinCommaText(m_types) + eol;
    for (int i = 0; i < FieldCount(); ++i) {
        const TFieldType type = fieldType(i);
        out += fieldName(i) + "; " + fieldTypeToText(type) + "; ";
        if (type == ftSet || type == ftInt) {
            out += std::to_string(fieldLow(i)) + ".." + std::to_string(fieldHigh(i)) + "; UNK= ";
            for (int code : m_info[i].unknown) {
                if (code != -1) out += std::to_string(code) + " ";
            }
            out += "; ";
        } else if (isIntervalType(type)) {
            out += "0.." + std::to_string(fieldBoundaryCount(i)) + "; ";
        }
        out += eol;
    }
    out += "RecordCount = " + std::to_string(RecordCount()) + eol;
    // The records go out a megabyte at a time: a large table's report is never held whole.
    constexpr size_t kPieceBytes = size_t{1} << 20;
    for (int r = 0; r < RecordCount(); ++r) {
        out += std::to_string(r) + ": " + recordText(r) + eol;
        if (out.size() >= kPieceBytes) {
            sink(out);
            out.clear();
        }
    }
    sink(out);
}

void TBaza::writeSummaryReport(const std::string& fileName) const {
    // Asked before the write: only a report that was there can be said to be left as it was.
    struct stat earlier {};
    const bool hadEarlier = ::stat(fileName.c_str(), &earlier) == 0 && S_ISREG(earlier.st_mode);
    try {
        replaceFileStreamed(fileName, [this](const TByteSink& sink) { writeSummary(sink); });
    } catch (const EInOutError& error) {
        throw EInOutError(
            "The summary report \"" + displayPath(fileName) + "\" could not be written" +
            (hadEarlier ? "; an earlier report of that name is left as it was: " : ": ") +
            error.what());
    }
}
