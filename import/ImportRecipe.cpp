#include "import/ImportRecipe.h"

#include "core/TextUtils.h"
#include "import/ImportInference.h"

TImportRecipe importRecipe(const TImportPlan& plan) {
    TImportRecipe recipe;
    recipe.options = plan.options;
    // The window asks for a sample on the plan, not in the options.
    recipe.options.sample = plan.sampleSize > 0;
    recipe.options.sampleSize = plan.sampleSize > 0 ? plan.sampleSize : kDefaultSampleSize;
    recipe.options.seed = plan.seed;
    // A workbook's sheet by its number, which needs no quoting or conversion, when there is a
    // choice of sheets; the rows skipped above its header.
    recipe.options.sheet.clear();
    for (size_t k = 0; plan.sheetNames.size() > 1 && k < plan.sheetNames.size(); ++k) {
        if (plan.sheetNames[k] == plan.sheet) recipe.options.sheet = std::to_string(k + 1);
    }
    recipe.options.skipRows = plan.skipRows;
    for (size_t i = 0; i < plan.columns.size(); ++i) {
        if (!plan.columns[i].choice.empty())
            recipe.choices.emplace_back(static_cast<int>(i), plan.columns[i].choice);
    }
    recipe.classColumn = plan.classColumn;
    return recipe;
}

std::vector<std::string> importRecipeArguments(const TImportRecipe& recipe) {
    const TImportOptions& o = recipe.options;
    const TImportOptions defaults;
    std::vector<std::string> args;
    auto add = [&args](const std::string& option, const std::string& value) {
        args.push_back(option);
        if (!value.empty()) args.push_back(shellWord(value));
    };
    if (o.delimiter != 0)
        add("--delimiter", o.delimiter == '\t' ? "tab" : std::string(1, o.delimiter));
    if (o.encoding == TImportEncoding::Utf8) add("--encoding", "utf8");
    if (o.encoding == TImportEncoding::Win1250) add("--encoding", "1250");
    if (o.boundaries != defaults.boundaries) add("--boundaries", std::to_string(o.boundaries));
    if (o.setLimit != defaults.setLimit) add("--set-limit", std::to_string(o.setLimit));
    if (o.intLimit != defaults.intLimit) add("--int-limit", std::to_string(o.intLimit));
    if (o.strict) add("--strict", "");
    if (!o.sheet.empty()) add("--sheet", o.sheet);
    if (o.skipRows != 0) add("--skip", std::to_string(o.skipRows));
    if (o.sample) {
        add("--sample", "");
        add("--sample-size", std::to_string(o.sampleSize));
        add("--seed", std::to_string(o.seed));
    }
    for (const auto& [column, choice] : recipe.choices) {
        const std::string number = std::to_string(column);
        if (choice.ignored) add("--ignore", number);
        if (choice.type) add("--type", number + "=" + importTypeText(*choice.type));
        if (choice.bins) {
            add("--bins", number + "=" +
                              (choice.bins->boundaries.empty()
                                   ? std::to_string(choice.bins->count)
                                   : importBoundaryListText(choice.bins->boundaries)));
        }
    }
    if (recipe.classColumn >= 0) add("--class", std::to_string(recipe.classColumn));
    return args;
}

std::string importCommandLine(const TImportRecipe& recipe, const std::string& inPath,
                              const std::string& outPath) {
    std::string line = "tav-batch import " + shellWord(inPath) + " " + shellWord(outPath);
    for (const std::string& arg : importRecipeArguments(recipe))
        line += " " + arg;
    return line;
}
