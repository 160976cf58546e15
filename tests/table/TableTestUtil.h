#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "table/TXMLDataSet.h"

// The header of a small test table: "No." Integer, "Name" String 50.
inline void smallHeader(TxDataSet& t) {
    t.AddField("No.", xftInteger, 0);
    t.AddField("Name", xftString, 50);
}

// An open in-memory table with the small header and CodePageIn cp1250.
inline void openSmall(TXMLDataSet& t) {
    t.OnGetHeader = smallHeader;
    t.SetCodePageIn(cp1250);
    t.open();
}

// Appends records (No., Name).
inline void addRows(TxDataSet& t, const std::vector<std::pair<int, std::string>>& rows) {
    for (const auto& [no, name] : rows) {
        t.append();
        t.fieldByName("No.").setAsInteger(no);
        t.fieldByName("Name").setAsString(name);
        t.post();
    }
}

// The "No." values of all records in list order, read without moving the cursor.
inline std::vector<int> numbers(TxDataSet& t) {
    std::vector<int> out;
    for (int row = 0; row < t.RecordCount(); ++row)
        out.push_back(static_cast<int>(t.valueAt(row, 0).toInteger()));
    return out;
}

inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Records the notifications it receives.
class RecordingView : public TxDataView {
  public:
    void dataEvent(const TxNotification& n) override { events.push_back(n.event); }
    int count(TxDataEvent e) const {
        int c = 0;
        for (auto x : events)
            c += x == e;
        return c;
    }
    std::vector<TxDataEvent> events;
};

// Runs `f` and returns the message of the ExDataSetError it throws, or "no error".
template <typename F>
std::string errorText(F&& f) {
    try {
        f();
    } catch (const ExDataSetError& e) {
        return e.what();
    }
    return "no error";
}
