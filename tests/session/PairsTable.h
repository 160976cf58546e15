#pragma once

#include <string>

// The table of the pairs tests: 120 records of class C (SET:1..2, unknown 0); F (INT:1..3) and
// G (SET:1..2) raise C = 1 together; X is a REAL r cut at 40 and 80.

// Its header and value names: the table's description without records.
inline const std::string kPairsHeader =
    "TAV DATA:2/TXT/1250\nC;F;G;X\nSET:1..2:UNK=0;INT:1..3;SET:1..2;REAL:::2\n"
    "bad;low;odd;40\ngood;mid;even;80\n";

inline std::string pairsData() {
    std::string text = kPairsHeader;
    for (int r = 0; r < 120; ++r) {
        const int f = 1 + r % 3, g = 1 + (r / 3) % 2;
        const int c = r % 17 == 0 ? 0 : (f == 1 && g == 1) ? 1 + (r % 5 == 0) : 1 + (r % 3 != 0);
        text += std::to_string(c) + ";" + std::to_string(f) + ";" + std::to_string(g) + ";" +
                std::to_string(r) + "\n";
    }
    return text;
}
