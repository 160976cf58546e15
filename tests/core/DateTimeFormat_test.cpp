#include "core/DateTimeFormat.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "core/FileCheck.h"
#include "tests/support/TempDir.h"

TEST(DateTimeFormat, LocalePatternsLoseTheLettersTheFormatterCannotWrite) {
    const std::pair<const char*, const char*> cases[] = {
        {"HH:mm:ss t", "HH:mm:ss"},           {"h:mm:ss AP t", "h:mm:ss AP"},
        {"H:mm:ss (t)", "H:mm:ss"},           {"tHH:mm:ss", "HH:mm:ss"},
        {"HH:mm:ss.zzz", "HH:mm:ss"},         {"d MMM yyyy", "d MM yyyy"},
        {"dddd, d. MMMM yyyy", "d. MM yyyy"}, {"h:mm a", "h:mm ap"},
        {"d. MM. yy", "d. MM. yy"},           {"'Week' d", "'Week' d"},
    };
    for (const auto& [pattern, reduced] : cases)
        EXPECT_EQ(reducedLocalePattern(pattern), reduced) << pattern;
}

TEST(DateTimeFormat, ReducedPatternsWriteOnlyNumbersAndSeparators) {
    const TLocalDateTime moment{2026, 12, 8, 7, 23, 37};
    EXPECT_EQ(formatDateTime(reducedLocalePattern("HH:mm:ss t"), moment), "07:23:37");
    EXPECT_EQ(formatDateTime(reducedLocalePattern("d MMM yyyy"), moment), "8 12 2026");
    EXPECT_EQ(formatDateTime(reducedLocalePattern("h:mm:ss a t"), moment), "7:23:37 am");
}

TEST(FileCheck, OnlyReadableRegularFilesPass) {
    TempDir dir;
    const std::string file = dir.write("data.CSV", "TAV DATA\n");
    EXPECT_EQ(dataFileProblem(file), "");
    EXPECT_NE(dataFileProblem(dir.file("none.CSV")).find("does not exist"), std::string::npos);
    EXPECT_NE(dataFileProblem(dir.file("")).find("is a folder"), std::string::npos);
    const std::string pipe = dir.file("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_NE(dataFileProblem(pipe).find("is a named pipe"), std::string::npos);
    EXPECT_NE(dataFileProblem("/dev/null").find("is a device"), std::string::npos);
}
