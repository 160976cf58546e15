// Writes one generated benchmark table: tav_bench_gen CASE FILE [--arff].

#include <fstream>
#include <iostream>
#include <string>

#include "bench/BenchCases.h"

int main(int argc, char** argv) {
    if (argc < 3 || (argc == 4 && std::string(argv[3]) != "--arff") || argc > 4) {
        std::cerr
            << "usage: tav_bench_gen CASE FILE [--arff]   (CASE: S, M, W, L, R, X, 1M or 10M)\n";
        return 2;
    }
    const TBenchCase* c = findBenchCase(argv[1]);
    if (c == nullptr) {
        std::cerr << "tav_bench_gen: unknown case \"" << argv[1] << "\"\n";
        return 2;
    }
    const std::string text = argc == 4 ? benchCaseArff(*c) : benchCaseData(*c);
    std::ofstream out(argv[2], std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::cerr << "tav_bench_gen: cannot write \"" << argv[2] << "\"\n";
        return 1;
    }
    return 0;
}
