#include "batch/BatchFindings.h"

#include <optional>
#include <sstream>

#include "batch/BatchCommands.h"
#include "batch/BatchSession.h"
#include "batch/BatchText.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"
#include "session/ReportHtml.h"
#include "session/uTavSession.h"
#include "stats/PairFindingsText.h"

namespace {

// A value by its code (digits) or by its label, compared upper-cased.
int targetOf(const TBaza& data, int field, const std::string& text) {
    if (text.size() <= 9 && isDecimalDigits(text)) {
        const int code = std::stoi(text);
        if (code <= kMaxValueCode && data.valueSet(field, code) != nullptr) return code;
    } else {
        const std::string wanted = upperCase1250(argumentTo1250("--target", text));
        for (int code = 0; code <= kMaxValueCode; ++code) {
            if (data.valueSet(field, code) != nullptr &&
                upperCase1250(data.valueName(field, code)) == wanted) {
                return code;
            }
        }
    }
    throw EBatchUsage{"--target: \"" + text + "\" is no value of the field " +
                      win1250ToUtf8(data.fieldName(field))};
}

// The default number of pairs listed.
constexpr int kDefaultTop = 200;

void printPairFindings(TTavSession& session, const TBatchOptions& options, int target,
                       const TBatchOutput& io) {
    const TPairFindings findings =
        session.computePairFindings(target, options.minCount, options.top.value_or(kDefaultTop));
    if (!findings.note.empty()) io.printError(findings.note);
    if (options.sentences) {
        std::istringstream lines(pairFindingsText(findings, session.findingsProvenance()));
        for (std::string line; std::getline(lines, line);)
            io.printLine(line);
        return;
    }
    io.out << exportPairFindings(findings, session.findingsProvenance(), options.format) << '\n';
    io.printLine(pairMultiplicityLine(findings));
}

}  // namespace

int runFindings(const TBatchOptions& given, const TBatchOutput& io) {
    TBatchOptions options = given;
    std::optional<TSessionFile> kept;
    if (options.session) {
        // The session keeps its own selection, and the target, minimum and conditions of its
        // findings.
        kept = readSessionFile(*options.session);
        if (!options.given.count("--min-count")) options.minCount = kept->findingsMinCount;
        if (!options.given.count("--conditions")) options.conditions = kept->findingsConditions;
        if (!options.target && !kept->findingsTarget)
            throw EBatchUsage{"--target: the session keeps no findings target; give one"};
    } else {
        options.select = options.select.value_or("all");
    }
    // Pairs have one order, by the size of their change.
    if (options.conditions == 2 && options.given.count("--sort") > 0)
        throw EBatchUsage{"--sort: pairs (--conditions 2) are listed by the size of their change"};
    int target = 0;
    return exploreSession(
        options, io,
        [&](TTavSession& session) {
            target = options.target
                         ? targetOf(*session.CurrentData(), session.classField(), *options.target)
                         : *kept->findingsTarget;
        },
        [&](TTavSession& session) {
            if (options.conditions == 2) {
                printPairFindings(session, options, target, io);
                return;
            }
            const TFindings findings =
                session.computeFindings(target, options.minCount, options.sort);
            // On standard error, so that the table or the text on standard output stays whole.
            if (!findings.note.empty()) io.printError(findings.note);
            if (options.sentences) {
                std::istringstream lines(findingsText(findings, session.findingsProvenance()));
                for (std::string line; std::getline(lines, line);)
                    io.printLine(line);
                return;
            }
            io.out << exportFindings(findings, session.findingsProvenance(), options.format)
                   << '\n';
            io.printLine(multiplicityLine(findings));
        });
}

int runExport(const TBatchOptions& given, const TBatchOutput& io) {
    TBatchOptions options = given;
    TReportRequest request;
    request.minCount = options.minCount;
    std::optional<int> keptTarget;
    if (options.session) {
        const TSessionFile kept = readSessionFile(*options.session);
        keptTarget = kept.findingsTarget;
        if (!options.given.count("--min-count")) request.minCount = kept.findingsMinCount;
    } else {
        options.select = options.select.value_or("all");
    }
    return exploreSession(
        options, io,
        [&](TTavSession& session) {
            request.target = options.target ? targetOf(*session.CurrentData(), session.classField(),
                                                       *options.target)
                                            : keptTarget;
        },
        [&](TTavSession& session) {
            writeSessionReport(session, *options.html, request);
            io.out << *options.html << '\n';  // a path stays the system's bytes
        });
}
