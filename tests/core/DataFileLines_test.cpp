#include "core/DataFileLines.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

// Each line after its position, as "offset:line".
std::vector<std::string> linesOf(TDataFileLines& lines) {
    std::vector<std::string> all;
    for (std::string_view line; lines.next(line);)
        all.push_back(std::to_string(lines.lineOffset()) + ":" + std::string(line));
    return all;
}

}  // namespace

// Every piece size gives the lines of the whole bytes: a CR LF or a line split between pieces,
// a lone CR, a line longer than a piece, a last line without an end, the end-of-file byte.
TEST(DataFileLines, PiecesGiveTheLinesOfTheWholeBytes) {
    const std::vector<std::string> texts = {"a;b\r\nc;d\r\n",
                                            "one\rtwo\nthree",
                                            "\n\n\r\r\n",
                                            "long line of many bytes\nx\r\n",
                                            "before\x1a"
                                            "after\n",
                                            "",
                                            "no end",
                                            "\r"};
    for (const std::string& text : texts) {
        TDataFileLines whole(text);
        const std::vector<std::string> expected = linesOf(whole);
        EXPECT_EQ(TDataFileLines::count(text), expected.size()) << text;
        for (std::size_t piece : {1u, 2u, 3u, 5u, 64u}) {
            std::istringstream in(text);
            TDataFileLines pieces(in, "t", piece);
            EXPECT_EQ(linesOf(pieces), expected) << text << " in pieces of " << piece;
        }
        std::istringstream in(text);
        EXPECT_EQ(TDataFileLines::count(in, "t"), expected.size());
        EXPECT_EQ(in.tellg(), 0);  // put back for the load
    }
    TDataFileLines sample(
        "a\r\nb\rc\n\nd\x1a"
        "e\n");
    std::vector<std::uint64_t> offsets;
    std::vector<std::string> lines;
    for (std::string_view line; sample.next(line);) {
        lines.emplace_back(line);
        offsets.push_back(sample.lineOffset());
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "", "d"}));
    EXPECT_EQ(offsets, (std::vector<std::uint64_t>{0, 3, 5, 7, 8}));
}
