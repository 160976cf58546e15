#pragma once

#include <string>
#include <utility>
#include <vector>

#include "import/ImportTypes.h"

// How a data file is made from a plain table: the options and the choices of its import, enough
// to make the same data file again with tav-batch import.

// The options asked and the choices made, each column by its number from 0.
struct TImportRecipe {
    TImportOptions options;
    std::vector<std::pair<int, TImportColumnChoice>> choices;  // ascending columns, none empty
    int classColumn = -1;                                      // -1: none chosen
};

// The recipe of `plan` as the user left it: its options (the sample as the plan keeps it), each
// column's choice and the class column.
TImportRecipe importRecipe(const TImportPlan& plan);

// The arguments of tav-batch import after IN and OUT that make the recipe's data file: the
// options that differ from the defaults, then --ignore, --type and --bins for each column with a
// choice, then --class; each quoted for a POSIX shell when it needs to be.
std::vector<std::string> importRecipeArguments(const TImportRecipe& recipe);

// The same arguments unquoted, one word per item (for a list kept as it is, not for a shell).
std::vector<std::string> importRecipeWords(const TImportRecipe& recipe);

// The words of `plan`'s recipe without --class: for a table read again each time it is opened,
// whose class is the session's, not the import's.
std::vector<std::string> importWordsWithoutClass(const TImportPlan& plan);

// The options and choices that importRecipeWords gave (Windows-1250 words) read back into
// `options` and `choices`: --boundaries, --set-limit, --int-limit, --sample, --sample-size,
// --seed, --type, --bins, --ignore and --class. Throws EConvertError naming a word it does not
// take and a value that is not a number in its range.
void readImportWords(const std::vector<std::string>& words, TImportOptions& options,
                     TImportChoiceTexts& choices);

// The tav-batch import command line that writes `outPath` from `inPath` by the recipe.
std::string importCommandLine(const TImportRecipe& recipe, const std::string& inPath,
                              const std::string& outPath);
