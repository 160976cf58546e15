#include "ui/text/TavHelpText.h"

#include <gtest/gtest.h>

#include <sstream>

// The help page covers what a user of the Findings tab, the sweep and the import reads.
TEST(TavHelpText, ReadingTheResultsCoversTheFindingsTheSweepAndTheImport) {
    const std::string text = readingTheResultsText();
    for (const char* topic : {"FINDINGS TAB", "Run (F5)", "credible interval", "lfsr", "flagged",
                              "The multiplicity line", "expected wrong signs", "robust", "ranks",
                              "PAIRS", "better part", "THRESHOLD SWEEP", "hollow", "IMPORT",
                              "Ignore", "readable", "INCOME between 800 and 1200"}) {
        EXPECT_NE(text.find(topic), std::string::npos) << topic;
    }
    // Lines fit the help window without a sideways scroll bar, as the older ones do.
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size(), 90u) << line;
}
