#pragma once

#include <string>
#include <vector>

// What a result of the session was computed under: every input its numbers depend on. Results
// computed under equal records show the same numbers; a result whose record differs from the one
// in force now is outdated.
struct TComputedUnder {
    // The successful load the table came from: a table loaded again is a new one, even at the
    // same address and with the same name.
    int load = 0;
    int classField = -1;
    // The class value of the findings (-1 for results of every value).
    int target = -1;
    // The applied filter expressions ("" for none, and for one whose check failed).
    std::string context;
    std::string compare1;
    std::string compare2;
    double mPrior = 0;
    double mParam = 0;
    double significancePct = 0;
    // The selected fields, in increasing order.
    std::vector<int> selected;
    // The fewest records of a ranked finding (0 for other results).
    int minCount = 0;

    bool operator==(const TComputedUnder&) const = default;

    // The part the scores of an entropy-gain run depend on: the table, the two m and the filters.
    TComputedUnder scoresPart() const {
        TComputedUnder part;
        part.load = load;
        part.context = context;
        part.compare1 = compare1;
        part.compare2 = compare2;
        part.mPrior = mPrior;
        part.mParam = mParam;
        return part;
    }
};
