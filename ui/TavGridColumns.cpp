#include "ui/TavGridColumns.h"

std::vector<TGridColumn> fieldsGridColumns() {
    return {{"No.", 6, "", false},
            {"Sel", 3, "0", false},
            {"Name", 27, "", false},
            {"Type", 17, "", false},
            {"Count", 7, "", false}};
}

std::vector<TGridColumn> rulesGridColumns() {
    return {{"No.", 6, "", false},
            {"Name", 33, "", false},
            {"Count", 10, "", true},
            {"Score", 7, "0.000", false},
            {"Signif", 5, "0.000", false}};
}

std::vector<TGridColumn> frequencyGridColumns() {
    return {{"No.", 5, "", false},           {"Name", 25, "", false},
            {"freq", 5, "", false},          {"prob", 5, "0.000", false},
            {"std", 5, "0.000", false},      {"condF", 5, "", false},
            {"condP", 5, "0.000", false},    {"condS", 5, "0.000", false},
            {"DEntropy", 7, "0.000", false}, {"Signif", 5, "0.000", false}};
}
