// Times what a user waits for after typing a new context on a loaded table: the context applied
// (the filter over every record, the rules' counts) and a new ranking, through the session the
// window drives, without a window.
//   tav_bench_context FILE CONTEXT...    e.g. tav_bench_context 10M.tav "F1,5,<" "F2 > 10"

#include <chrono>
#include <cstdio>
#include <string>

#include "session/uTavSession.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tav_bench_context FILE CONTEXT...\n");
        return 2;
    }
    TTavSession session;
    session.setWritesSummaryReport(false);
    auto start = std::chrono::steady_clock::now();
    session.runAsOneCommand([&] {
        session.loadDataFile(argv[1]);
        session.selectAllFields(true);
        session.setClassFieldDeselected(0);
    });
    std::printf("load %.2f s\n", secondsSince(start));
    for (int k = 2; k < argc; ++k) {
        start = std::chrono::steady_clock::now();
        session.updateContext(argv[k]);
        const double context = secondsSince(start);
        session.computeEntropyGains();
        std::printf("context \"%s\": %.2f s, with the ranking %.2f s (%d records)\n", argv[k],
                    context, secondsSince(start), session.sets().context()->bitCount());
    }
    return 0;
}
