#include <gtest/gtest.h>

#include <fstream>

#include "core/Errors.h"
#include "import/ImportInference.h"
#include "import/ImportWriter.h"
#include "import/Importer.h"
#include "tests/import/ImportTestUtil.h"
#include "tests/support/TempDir.h"

namespace {

// What parseCsv gives for `bytes` fed in pieces of `size` bytes: the records, their lines and the
// warnings, or the error.
std::string parsedInPieces(const std::string& bytes, size_t size) {
    TParsed parsed;
    TTextDecoder decoder(TImportEncoding::Win1250);
    const TSourceSink sink = collectInto(parsed);
    try {
        TCsvStream stream(',', decoder, "t.csv", sink);
        for (size_t at = 0; at < bytes.size(); at += size)
            stream.feed(std::string_view(bytes).substr(at, size));
        stream.finish();
    } catch (const ETavError& error) {
        return error.what();
    }
    std::string text;
    for (size_t r = 0; r < parsed.records.size(); ++r) {
        text += std::to_string(parsed.lines[r]) + ":";
        for (const std::string& value : parsed.records[r])
            text += value + "|";
        text += "\n";
    }
    for (const std::string& warning : parsed.warnings)
        text += warning + "\n";
    return text;
}

}  // namespace

TEST(ImportStreaming, PiecesOfAnySizeParseAsTheWholeFile) {
    const std::string files[] = {
        "a,b\r\n1,\"x\r\ny\"\r2,z\n\n3\r\n\"q\"\"r\",4\r",
        "a\r\n1\r\n\r\n\r2\n\n",
        "a,b\n1,2\n\"open,3\n4,5\n",
        "a,b\n1,2,3\n",
    };
    for (const std::string& file : files) {
        const std::string whole = parsedInPieces(file, file.size());
        for (size_t size = 1; size < file.size(); ++size)
            EXPECT_EQ(parsedInPieces(file, size), whole) << file << " in pieces of " << size;
    }
}

TEST(ImportStreaming, TheEncodingIsDecidedAsOnTheWholeFileWhereverThePiecesEnd) {
    const std::string files[] = {"a\n\xC5\xBE\xC3\xA1\xFF\n", "a\n\xE8\x9A\xBD\xE8\n",
                                 "a\n\x9E\xE1\n", std::string("a\n\0\0\0\x01", 6)};
    for (const std::string& file : files) {
        std::string whole;
        try {
            whole = std::to_string(
                static_cast<int>(resolveEncoding(file, TImportEncoding::Detect, "t.csv")));
        } catch (const EConvertError& error) {
            whole = error.what();
        }
        for (size_t size = 1; size < file.size(); ++size) {
            TEncodingCensus census;
            for (size_t at = 0; at < file.size(); at += size)
                census.add(std::string_view(file).substr(at, size));
            std::string pieces;
            try {
                pieces = std::to_string(
                    static_cast<int>(census.decide(TImportEncoding::Detect, "t.csv")));
            } catch (const EConvertError& error) {
                pieces = error.what();
            }
            EXPECT_EQ(pieces, whole) << size;
        }
    }
}

TEST(ImportStreaming, AColumnKeepsBoundedValuesWithExactEndsAndCounts) {
    TColumnProfiler profiler(false, 1);
    const long long count = kNumberBudget + 5000;
    for (long long k = 0; k < count; ++k)
        profiler.add(std::to_string(k * 2 + 1));
    const TColumnProfile profile = profiler.finish();
    EXPECT_TRUE(profile.numeric && profile.integral && profile.numbersSampled);
    EXPECT_EQ(profile.numbers.size(), static_cast<size_t>(kNumberBudget));
    EXPECT_EQ(profile.low, 1);
    EXPECT_EQ(profile.high, static_cast<double>(count * 2 - 1));
    EXPECT_EQ(profile.distinct.size(), 128u);
    EXPECT_EQ(profile.distinctCount, kDistinctCountLimit);
    EXPECT_EQ(profile.distinctNumbers, kMaxIntLimit + 1);
    // The median of the sample is near the true one.
    EXPECT_NEAR(profile.numbers[profile.numbers.size() / 2], static_cast<double>(count), 2000);

    // Boundaries from a sample keep their own values: the gaps of a sample may hide others.
    TImportColumn column;
    column.name = "N";
    codeColumnAs(column, profile, TImportType::Real, 3);
    for (size_t k = 0; k < column.boundaries.size(); ++k) {
        EXPECT_TRUE(std::binary_search(profile.numbers.begin(), profile.numbers.end(),
                                       column.boundaries[k]))
            << column.boundaryTexts[k];
    }
    TImportColumn shown;
    shown.distinctCount = profile.distinctCount;
    EXPECT_EQ(distinctCountText(shown), "65536+");
}

TEST(ImportStreaming, AFileChangedBeforeTheWriteIsRefusedAndNothingIsReplaced) {
    const TempDir dir;
    const std::string in = dir.write("in.csv", "a,b\n1,x\n2,y\n");
    const std::string out = dir.write("out.CSV", "earlier\r\n");
    const TImportPlan plan = inferImport(in);
    dir.write("in.csv", "a,b\n1,x\n2,y\n3,z\n");
    EXPECT_EQ(errorOf<EConvertError>([&] { writeImport(plan, out); }),
              "The file \"" + in + "\" changed while it was imported; import it again");
    EXPECT_EQ(readFile(out), "earlier\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(ImportStreaming, LettersAfterAnAsciiStartAreDecodedAsTheWholeFileSays) {
    std::string bytes = "NAME,N\n";
    while (bytes.size() < (5u << 20))
        bytes += "plain,1\n";
    bytes +=
        "\xC5\xBE"
        "ena,2\n";  // "žena" in UTF-8
    const TImportPlan plan = inferImportBytes(bytes, "late.csv");
    EXPECT_EQ(plan.encoding, TImportEncoding::Utf8);
    ASSERT_EQ(plan.columns[0].labels.size(), 2u);
    EXPECT_EQ(plan.columns[0].labels[1],
              "\x9E"
              "ena");
    EXPECT_TRUE(plan.warnings.empty());
}
