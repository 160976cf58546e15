#include "ui/grids/TavGridColumns.h"

std::vector<TGridColumn> fieldsGridColumns() {
    return {{"No.", 6, "", false, "The field's number in the data file, from 0"},
            {"Sel", 3, "0", false,
             "10: the field is selected, so its rules take part in the entropy-gain run; 0: not"},
            {"Name", 27, "", false, "The field's name"},
            {"Type", 17, "", false, "The field's type specification from the data file"},
            {"Count", 7, "", false, "Records of the context whose value of the field is known"}};
}

std::vector<TGridColumn> rulesGridColumns() {
    return {{"No.", 6, "", false, "The rule's position in the list"},
            {"Name", 33, "", false,
             "The simple rule: (field) name = value, or a threshold < or > a value"},
            {"Count", 10, "", true,
             "Records of the context under the rule; \"*** \" marks a rule on a field that is "
             "not selected"},
            {"Score", 7, "0.000", false,
             "Entropy gain of the rule for the class field in the last run (greyed: computed "
             "under other settings or another context, or by a cancelled run; blank: not "
             "reached by it)"},
            {"Signif", 5, "0.000", false, "The rule's Signif from the last entropy-gain run"}};
}

std::vector<TGridColumn> frequencyGridColumns() {
    return {
        {"No.", 5, "", false, "The class value's code (-1: Total, 128: Sub-total)"},
        {"Name", 25, "", false, "The class value"},
        {"freq", 5, "", false, "Records of the context with this class value"},
        {"prob", 5, "0.000", false, "m-estimate of the class value's probability in the context"},
        {"std", 5, "0.000", false, "Standard deviation of that probability"},
        {"condF", 5, "", false, "Records under the simple rule with this class value"},
        {"condP", 5, "0.000", false, "m-estimate of the probability under the simple rule"},
        {"condS", 5, "0.000", false, "Standard deviation of the probability under the rule"},
        {"DEntropy", 7, "0.000", false,
         "Change of the entropy-based scale from the context to the rule"},
        {"Signif", 5, "0.000", false,
         "Signif: probability that the class value is more frequent under the rule than in "
         "the context; blue: at least 1 - significance level, red: at most the "
         "significance level"}};
}
