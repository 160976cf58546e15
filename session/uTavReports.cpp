// The global simple-rules report and the clipboard report of the Frequency table.

#include "session/uTavReports.h"

#include "core/DateTimeFormat.h"
#include "core/LocaleFormat.h"
#include "core/TextUtils.h"
#include "session/uTavSession.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"

namespace {

const char kEol[] = "\r\n";

// An integer of width 4 and a real of width 7 with 3 decimals, never cut, "." as separator.
std::string b4(long long value) {
    return padLeft(std::to_string(value), 4);
}
std::string r7(double value) {
    return realToText(7, 3, value);
}

}  // namespace

std::string globalReportBlock(TTavSession& session) {
    if (session.CurrentData() == nullptr) return "";
    TxViewReader& frequency = session.frequencyTable();
    using namespace FrequencyColumns;
    std::string out;
    out += std::string("Classes") + kEol;
    out += std::string("   # Freq        Prob    Std   Name") + kEol;
    const int rows = frequency.RecordCount();
    for (int row = 1; row < rows; ++row) {
        out += b4(frequency.valueAt(row, kNo).toInteger()) + " " +
               b4(frequency.valueAt(row, kFrequency).toInteger()) + "      " +
               r7(frequency.valueAt(row, kProbability).toFloat()) + " " +
               r7(frequency.valueAt(row, kStdProb).toFloat()) + " " +
               frequency.valueAt(row, kName).toString() + kEol;
    }
    out += kEol;

    out += std::string("Attributes and values") + kEol;
    out += std::string("   # Freq    N   CProb   CStd    IGain  Signif Name") + kEol;
    const TMnozicaList& list = session.sets().SetLists[slRules];
    // The walk computes the Frequency table for each rule in the order of the list.
    session.walkRules([&](int i) {
        // A Frequency table without a value row (a STRING class, every row hidden) gives 0.
        const bool hasRow = frequency.RecordCount() > 1;
        const TMnozica* set = list.item(i);
        out += b4(i) + " " + b4(hasRow ? frequency.valueAt(1, kCondFrequency).toInteger() : 0) +
               " " + b4(set ? session.recordsIn(*set) : 0) + " " +
               r7(hasRow ? frequency.valueAt(1, kCondProbability).toFloat() : 0) + " " +
               r7(hasRow ? frequency.valueAt(1, kCondStdProb).toFloat() : 0) + " " +
               r7(set ? set->Score : 0) + " " + r7(set ? set->Signif : 0) + " " +
               (set ? set->SetName : std::string()) + kEol;
    });
    out += kEol;
    out += kEol;
    return out;
}

std::string clipboardReportText(TxViewReader& table, const std::string& description) {
    const TLocaleFormat& locale = localeFormat();
    // One reading of the clock gives both the date and the time.
    const TLocalDateTime now = toLocalDateTime(locale.clock());
    std::string out;
    out += std::string("Tav") + kEol;
    out += description + "   (obdelava: " + formatDateTime(locale.shortDateFormat, now) + " ob " +
           formatDateTime(locale.longTimeFormat, now) + ")" + kEol;
    out += kEol;
    out += std::string("---") + kEol;
    out += std::string(
               "no.\tname\tfreq\tprob\tstd\tcondFreq\tcondProb\tcondStd\tentropyDiff\tsignif") +
           kEol;
    using namespace FrequencyColumns;
    const int rows = table.RecordCount();
    for (int row = 0; row < rows; ++row) {
        auto whole = [&](int field) {
            return std::to_string(table.valueAt(row, field).toInteger());
        };
        auto formatted = [&](int field) {
            return formatNumber(5, 3, table.valueAt(row, field).toFloat());
        };
        out += whole(kNo) + "\t" + table.valueAt(row, kName).toString() + "\t" + whole(kFrequency) +
               "\t" + formatted(kProbability) + "\t" + formatted(kStdProb) + "\t" +
               whole(kCondFrequency) + "\t" + formatted(kCondProbability) + "\t" +
               formatted(kCondStdProb) + "\t" + formatted(kEntropyChange) + "\t" +
               formatted(kSignif) + "\t" + kEol;
    }
    out += std::string("---") + kEol;
    return out;
}
