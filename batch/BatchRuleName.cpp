#include "batch/BatchRuleName.h"

#include <cctype>
#include <functional>
#include <vector>

#include "batch/BatchOptions.h"
#include "core/TextUtils.h"
#include "stats/uTavResultTables.h"

namespace {

// A rule's name without its leading "(n) ", or the name when it has none.
std::string withoutFieldNumber(const std::string& name) {
    if (name.empty() || name[0] != '(') return name;
    size_t k = 1;
    while (k < name.size() && std::isdigit(static_cast<unsigned char>(name[k])))
        ++k;
    if (k == 1 || name.compare(k, 2, ") ") != 0) return name;
    return name.substr(k + 2);
}

std::vector<int> rowsWhere(const TMnozicaList& rules,
                           const std::function<bool(const std::string&)>& matches) {
    std::vector<int> rows;
    for (int i = 0; i < rules.count(); ++i) {
        const std::string& name = rules.item(i)->SetName;
        // The grid cuts a long name to its column; what it shows names the rule as well.
        if (matches(name) || matches(name.substr(0, RuleColumns::kNameLength))) rows.push_back(i);
    }
    return rows;
}

}  // namespace

int ruleRowNamed(const TMnozicaList& rules, const std::string& name) {
    // An interval's name holds two blanks after its ":", which the grid does not let one count.
    const std::string wanted = collapseBlanks(name);
    std::vector<int> rows = rowsWhere(
        rules, [&](const std::string& ruleName) { return collapseBlanks(ruleName) == wanted; });
    if (rows.empty()) {
        rows = rowsWhere(rules, [&](const std::string& ruleName) {
            return withoutFieldNumber(collapseBlanks(ruleName)) == wanted;
        });
    }
    if (rows.size() == 1) return rows.front();
    if (rows.empty()) throw EBatchUsage{"--rule: no rule is named \"" + name + "\""};
    std::string numbers;
    for (size_t i = 0; i < rows.size(); ++i)
        numbers += (i == 0 ? "" : i + 1 == rows.size() ? " and " : ", ") + std::to_string(rows[i]);
    throw EBatchUsage{"--rule: \"" + name + "\" names the rules " + numbers +
                      ": give the whole name or the number"};
}
