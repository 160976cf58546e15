// Times a table of a PostgreSQL server explored two ways: counted in the server (the table
// described, then one context's counts by one statement, then the rules scored from them), and
// its rows fetched with COPY, imported as a CSV file, loaded and ranked in memory.
//   tav_bench_server URI TABLE CLASS SCRATCH_DIR [CONTEXT...]
// CLASS names the class column; the scratch folder receives the fetched rows and the data file.
// bench/server_bench.sh makes the generated table and runs this.

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "db/ServerTable.h"
#include "import/Importer.h"
#include "session/uTavSession.h"
#include "stats/RuleScores.h"
#include "stats/uTavSets.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: tav_bench_server URI TABLE CLASS SCRATCH_DIR [CONTEXT...]\n");
        return 2;
    }
    const std::string uri = argv[1], table = argv[2], classColumn = argv[3], scratch = argv[4];
    std::vector<std::string> contexts{""};
    for (int k = 5; k < argc; ++k)
        contexts.push_back(argv[k]);
    try {
        TImportChoiceTexts choices;
        choices.classColumn = classColumn;
        auto start = std::chrono::steady_clock::now();
        const auto server = TServerTable::open(uri, {table, ""}, {}, choices);
        std::printf("server: described %lld rows x %d fields in %.2f s\n", server->recordCount(),
                    server->description().FieldCount(), secondsSince(start));
        const int c = server->classField();
        std::vector<std::vector<TCountedGroup>> counted;
        for (const std::string& context : contexts) {
            start = std::chrono::steady_clock::now();
            counted.push_back(server->countGroups({context}, c));
            std::printf("server: counts under \"%s\" in %.2f s (%zu groups)\n", context.c_str(),
                        secondsSince(start), counted.back().size());
        }

        start = std::chrono::steady_clock::now();
        const std::string rows = scratch + "/server-rows.csv";
        {
            std::ofstream out(rows, std::ios::binary);
            server->copyRows(
                [&out](std::string_view piece) { out.write(piece.data(), piece.size()); });
        }
        std::printf("memory: rows fetched with COPY in %.2f s\n", secondsSince(start));
        start = std::chrono::steady_clock::now();
        TImportPlan plan = inferImport(rows);
        applyImportChoices(plan, choices);
        const std::string dataFile = scratch + "/server-rows-tav.CSV";
        writeImport(plan, dataFile);
        std::printf("memory: imported in %.2f s\n", secondsSince(start));

        TTavSession session;
        session.setWritesSummaryReport(false);
        start = std::chrono::steady_clock::now();
        const int classField = importFieldIndex(plan, plan.classColumn);
        session.runAsOneCommand([&] {
            session.loadDataFile(dataFile);
            session.selectAllFields(true);
            session.setClassFieldDeselected(classField);
        });
        std::printf("memory: loaded in %.2f s\n", secondsSince(start));
        for (const std::string& context : contexts) {
            start = std::chrono::steady_clock::now();
            session.updateContext(context);
            session.computeEntropyGains();
            std::printf("memory: context \"%s\" and its ranking in %.2f s\n", context.c_str(),
                        secondsSince(start));
        }

        // The scores from the server's counts, over rules built on the loaded copy (the same
        // description: whole-number columns keep their codes whatever the row order).
        TBaza copy;
        copy.loadDataFile(dataFile, dfkFromHeader, cpUnknown);
        TSetCatalogue sets;
        BuildSets(copy, sets, kAllSetLists, MParam);
        for (int f = 0; f < copy.FieldCount(); ++f)
            sets.fieldSet(f)->Selected = f == classField ? 0 : kSelected;
        for (size_t k = 0; k < contexts.size(); ++k) {
            start = std::chrono::steady_clock::now();
            const TContextClassCounts counts(server->description(), c, counted[k]);
            ScoreRulesFromCounts(copy, sets, counts, c, RowVisible);
            std::printf("server: rules scored from the counts under \"%s\" in %.2f s\n",
                        contexts[k].c_str(), secondsSince(start));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
