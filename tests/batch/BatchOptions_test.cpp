#include "batch/BatchOptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "batch/BatchCommands.h"

namespace {

const std::vector<std::string_view> kExplore = {"--class", "--m", "--hide", "--rank", "--select"};

std::string usageError(const std::vector<std::string>& args,
                       const std::vector<std::string_view>& taken = kExplore,
                       const std::vector<std::string_view>& required = {}, int files = 1) {
    try {
        parseBatchOptions(args, taken, required, files);
    } catch (const EBatchUsage& usage) {
        return usage.what();
    }
    return "";
}

// The tables agree: whatever a command takes or requires is declared, with a text for the usage.
TEST(BatchOptions, EveryCommandsOptionIsDeclaredOnce) {
    for (const TBatchCommand& command : batchCommands()) {
        for (std::string_view name : command.options) {
            const TBatchOption* option = findBatchOption(name);
            ASSERT_NE(option, nullptr) << command.name << " " << name;
            EXPECT_FALSE(option->help.empty()) << name;
        }
        for (std::string_view name : command.required)
            EXPECT_FALSE(findBatchOption(name)->whenMissing.empty()) << name;
    }
    const std::string usage = batchUsage();
    for (const TBatchCommand& command : batchCommands())
        EXPECT_NE(usage.find("\n  " + std::string(command.name) + " "), std::string::npos);
    for (const TBatchOption& option : batchOptions())
        EXPECT_NE(usage.find("\n  " + std::string(option.name) + " "), std::string::npos);
}

TEST(BatchOptions, OptionsComeBeforeOrAfterTheFilesAndFlagsTakeNoValue) {
    const TBatchOptions options =
        parseBatchOptions({"--rank", "in.csv", "--class", "LOAN", "--m", "1.5"}, kExplore);
    EXPECT_EQ(options.files, std::vector<std::string>{"in.csv"});
    EXPECT_TRUE(options.rank);
    EXPECT_EQ(options.className, "LOAN");
    EXPECT_FALSE(options.classField);
    EXPECT_EQ(options.m, 1.5);
    EXPECT_EQ(parseBatchOptions({"--class", "12", "f"}, kExplore).classField, 12);
    const TBatchOptions import = parseBatchOptions({"a", "b"}, {"--seed"}, {}, 2);
    EXPECT_EQ(import.files, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(import.import.boundaries, TImportOptions{}.boundaries);
}

TEST(BatchOptions, UsageErrorsNameTheOption) {
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"f", "--m", "nan"}, "--m: \"nan\" is not a plain decimal number"},
        {{"f", "--m", "0.009"}, "--m: \"0.009\" is not a number in 0.01..1000000"},
        {{"f", "--m", "0"}, "--m: \"0\" is not a number in 0.01..1000000"},
        {{"f", "--m", "1000000.001"}, "--m: \"1000000.001\" is not a number in 0.01..1000000"},
        {{"f", "--m", "1", "--m", "2"}, "--m: given twice"},
        {{"f", "--m"}, "--m: a value is missing"},
        {{"f", "--rule", "1"}, "--rule: not an option of this command"},
        {{"f", "--nonsense"}, "--nonsense: not an option of this command"},
        {{"f", "--hide", "1,128"}, "--hide: the code 128 is outside 0..127"},
        {{"f", "--hide", "1,,2"}, "--hide: \"\" is not an index"},
        {{"f", "--select", "1,,x"}, "--select: \"1,,x\" has an empty item"},
        {{"f", "--select", "1,"}, "--select: \"1,\" has an empty item"},
        {{"f", "--select", "7-3"},
         "--select: \"7-3\" is not a range of field numbers (low-high, as 3-7)"},
        {{"f", "--select", "AGE,3-"},
         "--select: \"3-\" is not a range of field numbers (low-high, as 3-7)"},
        {{"f", "--select", "1-2-3"},
         "--select: \"1-2-3\" is not a range of field numbers (low-high, as 3-7)"},
        {{"f", "--class", "1234567890"}, "--class: \"1234567890\" is not an index"},
        {{"f", "g"}, "more than one file given: \"g\""},
        {{"--m", "1"}, "no file given"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(usageError(c.args), c.message);
}

// One rule for m and m(prior) in every command that takes them: the window's range, both ends
// included, and outside it a usage error naming the option before any file is read.
TEST(BatchOptions, MSettingsOutsideTheirRangeAreUsageErrorsInEveryCommand) {
    for (const std::string value : {"0.01", "1000000"}) {
        EXPECT_EQ(usageError({"f", "--m", value}), "");
        EXPECT_EQ(usageError({"f", "--mprior", value}, {"--mprior"}), "");
    }
    int commands = 0;
    for (const TBatchCommand& command : batchCommands()) {
        for (const std::string option : {"--m", "--mprior"}) {
            if (std::find(command.options.begin(), command.options.end(), option) ==
                command.options.end())
                continue;
            ++commands;
            for (const std::string value : {"0.009", "1e-300", "1000001"}) {
                std::vector<std::string> args = {std::string(command.name), "missing.csv", option,
                                                 value};
                for (std::string_view required : command.required)
                    args.insert(args.end(), {std::string(required), "0"});
                std::ostringstream out, err;
                EXPECT_EQ(runBatch(args, TBatchOutput{out, err}), kExitUsage) << command.name;
                EXPECT_EQ(err.str().rfind("tav-batch " + std::string(command.name) + ": " + option +
                                              ": \"" + value + "\"",
                                          0),
                          0u)
                    << err.str();
            }
        }
    }
    // fields, rules, rank, freq, report, findings, export, evaluate: both each
    EXPECT_EQ(commands, 16);
}

TEST(BatchOptions, CommandsOwnValuesAreChecked) {
    const std::vector<std::string_view> all = {
        "--min-count",  "--sort",      "--format", "--delimiter", "--encoding",
        "--boundaries", "--set-limit", "--seed",   "--sample",    "--threads"};
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--min-count", "-1"}, "--min-count: \"-1\" is not a count"},
        {{"--sort", "up"}, "--sort: \"up\" is none of score, p and diff"},
        {{"--format", "xls"}, "--format: \"xls\" is none of tsv, csv and md"},
        {{"--delimiter", "|"}, "--delimiter: \"|\" is none of \",\", \";\" and \"tab\""},
        {{"--encoding", "latin1"}, "--encoding: \"latin1\" is neither utf8 nor 1250"},
        {{"--boundaries", "127"}, "--boundaries: \"127\" is not a whole number in 1..126"},
        {{"--set-limit", "0"}, "--set-limit: \"0\" is not a whole number in 1..127"},
        {{"--seed", "7"}, "--seed: given without --sample"},
        {{"--threads", "0"}, "--threads: \"0\" is not a whole number in 1..1024"},
        {{"--sample", "--seed", "1e3"},
         "--seed: \"1e3\" is not a whole number in "
         "0..999999999999999999"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"in", "out"});
        EXPECT_EQ(usageError(args, all, {}, 2), c.message);
    }
    EXPECT_EQ(usageError({"in"}, all, {}, 2), "the input and the output file are needed");
    EXPECT_EQ(usageError({"in", "out", "x"}, all, {}, 2), "\"x\": one file too many");
    const TBatchOptions options = parseBatchOptions(
        {"--delimiter", "tab", "--sample", "--seed", "9", "in", "out"}, all, {}, 2);
    EXPECT_EQ(options.import.delimiter, '\t');
    EXPECT_TRUE(options.import.sample);
    EXPECT_EQ(options.import.seed, 9u);
}

TEST(BatchOptions, ARequiredOptionSaysWhatIsMissing) {
    const std::vector<std::string_view> taken = {"--class", "--target"};
    EXPECT_EQ(usageError({"f", "--target", "1"}, taken, {"--class", "--target"}),
              "--class: the class field is missing");
    EXPECT_EQ(usageError({"f", "--class", "0"}, taken, {"--class", "--target"}),
              "--target: the class value is missing");
}

}  // namespace

// --select takes numbers, ranges and names mixed, in the order given; what it cannot resolve
// against the table is a usage error naming the item.
TEST(BatchOptions, SelectTakesNumbersRangesAndNamesOfTheTable) {
    TBaza data;
    data.loadDataBytes(
        "TAV DATA:0/TXT/1250\nAGE;INCOME;\x8A"
        "OLA;D;E;F\n"
        "SET:1..2;SET:1..2;SET:1..2;SET:1..2;SET:1..2;SET:1..2\n",
        "t", dfkFromHeader, cpUnknown);
    EXPECT_EQ(selectedFields("income,Age,3-5", data), (std::vector<int>{1, 0, 3, 4, 5}));
    EXPECT_EQ(selectedFields("2-2,\x9a"
                             "ola",
                             data),
              (std::vector<int>{2, 2}));  // Windows-1250
    EXPECT_EQ(selectedFields("all", data), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(selectedFields("none", data).empty());
    auto error = [&](const std::string& select) {
        try {
            selectedFields(select, data);
        } catch (const EBatchUsage& usage) {
            return std::string(usage.what());
        }
        return std::string();
    };
    EXPECT_EQ(error("AGE,HEIGHT"), "--select: the table has no field named \"HEIGHT\"");
    EXPECT_EQ(error("4-6"), "--select: the field 6 is outside 0..5");
    EXPECT_EQ(error("9"), "--select: the field 9 is outside 0..5");
    EXPECT_EQ(error("5-4"), "--select: \"5-4\" is not a range of field numbers (low-high, as 3-7)");
    EXPECT_EQ(error("AGE,"), "--select: \"AGE,\" has an empty item");
}

TEST(BatchOptions, ImportChoicesRepeatAndNameTheirColumn) {
    const std::vector<std::string_view> choices = {"--type", "--bins", "--ignore", "--seed"};
    const TBatchOptions options =
        parseBatchOptions({"in.csv", "out.CSV", "--type", "AGE=REAL", "--type", "a=b=SET", "--bins",
                           "2=20,40", "--ignore", "ID", "--ignore", "3"},
                          choices, {}, 2);
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    // A column name may hold "=": the value is after the last one.
    EXPECT_EQ(options.importChoices.types, (Pairs{{"AGE", "REAL"}, {"a=b", "SET"}}));
    EXPECT_EQ(options.importChoices.bins, (Pairs{{"2", "20,40"}}));
    EXPECT_EQ(options.importChoices.ignored, (std::vector<std::string>{"ID", "3"}));
    EXPECT_EQ(usageError({"i", "o", "--type", "AGE"}, choices, {}, 2),
              "--type: \"AGE\" is not COLUMN=TYPE");
    EXPECT_EQ(usageError({"i", "o", "--bins", "=4"}, choices, {}, 2),
              "--bins: \"=4\" is not COLUMN=N or COLUMN=B1,B2,...");
    EXPECT_EQ(usageError({"i", "o", "--seed", "1", "--seed", "2"}, choices, {}, 2),
              "--seed: given twice");
}
