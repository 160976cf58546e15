#pragma once

#include <string>
#include <utility>
#include <vector>

#include "stats/uTavFreq.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"

// The table the counted statistics are checked on, against the Frequency table of its records.

// 3,000 records: a class C with an unknown code (0), a code past its range (9) and a value without
// records (4); an INT field A with thresholds and an unknown code; an interval field X; a SET
// field B of codes outside a byte in places.
inline std::string scoreTableText() {
    std::string text =
        "TAV DATA:0/TXT/1250\nC;A;X;B\nSET:1..4:UNK=0;INT:1..5:UNK=5;REAL:::3;SET:1..3\n"
        "a;lo;;p\nb;mid;;q\nc;hi;;r\nd;x;;\n;y;;\n";
    for (int r = 0; r < 3000; ++r) {
        const int c = r % 97 == 0 ? 0 : r % 89 == 0 ? 9 : 1 + (r * 7 + r / 11) % 3;
        const int a = 1 + (r * 13 + c) % 5;
        const int b = r % 53 == 0 ? 300 : 1 + (r / 7 + c) % 3;
        text += std::to_string(c) + ";" + std::to_string(a) + ";" +
                std::to_string((r * 31 + c * 100) % 1000) + ";" + std::to_string(b) + "\n";
    }
    return text;
}

struct TScoreTableBase {
    TBaza data;
    TSetCatalogue sets;
    TXMLDataSet frequency;
    TChartParams chart;

    TScoreTableBase() {
        data.loadDataBytes(scoreTableText(), "scores.csv", dfkFromHeader, cpUnknown);
        data.setBoundary(2, 1, 250), data.setBoundary(2, 2, 500), data.setBoundary(2, 3, 750);
        BuildSets(data, sets, kAllSetLists, MParam);
        frequency.SetCodePageIn(cp1250);
        frequency.OnGetHeader = XMLdtstFrequencyGetHeader;
        frequency.open();
        for (int f = 1; f < data.FieldCount(); ++f)
            sets.fieldSet(f)->Selected = kSelected;
    }
    // Score and Signif of every rule as the Frequency table stores them, rule by rule.
    std::vector<std::pair<double, double>> storedByTheTable() {
        std::vector<std::pair<double, double>> scores;
        const TMnozicaList& rules = sets.SetLists[slRules];
        for (int i = 0; i < rules.count(); ++i) {
            FillFrequencyTable({data, sets, frequency, nullptr, chart, {}}, 0, i, true, false, 0);
            scores.emplace_back(rules.item(i)->Score, rules.item(i)->Signif);
        }
        return scores;
    }
};
