#include "import/ImportRecipe.h"

#include "core/Errors.h"
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

std::vector<std::string> importWordsWithoutClass(const TImportPlan& plan) {
    TImportRecipe recipe = importRecipe(plan);
    recipe.classColumn = -1;
    return importRecipeWords(recipe);
}

std::vector<std::string> importRecipeWords(const TImportRecipe& recipe) {
    const TImportOptions& o = recipe.options;
    const TImportOptions defaults;
    std::vector<std::string> args;
    auto add = [&args](const std::string& option, const std::string& value) {
        args.push_back(option);
        if (!value.empty()) args.push_back(value);
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

std::vector<std::string> importRecipeArguments(const TImportRecipe& recipe) {
    std::vector<std::string> args = importRecipeWords(recipe);
    for (std::string& arg : args)
        arg = shellWord(arg);
    return args;
}

void readImportWords(const std::vector<std::string>& words, TImportOptions& options,
                     TImportChoiceTexts& choices) {
    const auto number = [&](size_t k, int low, int high) {
        const std::string& text = words[k];
        if (!isDecimalDigits(text) || text.size() > 9 || std::stoi(text) < low ||
            std::stoi(text) > high) {
            throw EConvertError("The import option " + words[k - 1] + " has the value \"" + text +
                                "\", not a number in " + std::to_string(low) + ".." +
                                std::to_string(high));
        }
        return std::stoi(text);
    };
    const auto split = [&](size_t k) {
        const size_t at = words[k].rfind('=');
        if (at == std::string::npos || at == 0)
            throw EConvertError("The import option " + words[k - 1] + " has no COLUMN=VALUE");
        return std::pair{words[k].substr(0, at), words[k].substr(at + 1)};
    };
    for (size_t k = 0; k < words.size(); ++k) {
        const std::string& word = words[k];
        if (word == "--sample") {
            options.sample = true;
            continue;
        }
        if (k + 1 >= words.size())
            throw EConvertError("The import option \"" + word + "\" is unknown or has no value");
        ++k;
        if (word == "--boundaries") {
            options.boundaries = number(k, 1, kMaxImportBoundaries);
        } else if (word == "--set-limit") {
            options.setLimit = number(k, 1, kDefaultSetLimit);
        } else if (word == "--int-limit") {
            options.intLimit = number(k, 1, kMaxIntLimit);
        } else if (word == "--sample-size") {
            options.sampleSize = number(k, 1, 999'999'999);
        } else if (word == "--seed") {
            options.seed = static_cast<std::uint64_t>(number(k, 0, 999'999'999));
        } else if (word == "--type") {
            choices.types.push_back(split(k));
        } else if (word == "--bins") {
            choices.bins.push_back(split(k));
        } else if (word == "--ignore") {
            choices.ignored.push_back(words[k]);
        } else if (word == "--class") {
            choices.classColumn = words[k];
        } else {
            throw EConvertError("The import option \"" + word + "\" is unknown or has no value");
        }
    }
}

std::string importCommandLine(const TImportRecipe& recipe, const std::string& inPath,
                              const std::string& outPath) {
    std::string line = "tav-batch import " + shellWord(inPath) + " " + shellWord(outPath);
    for (const std::string& arg : importRecipeArguments(recipe))
        line += " " + arg;
    return line;
}
